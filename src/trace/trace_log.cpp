#include "trace/trace_log.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <utility>

#include <sys/mman.h>

#include "platform/short_copy.h"

// Record layout: a header, then the bytes.
//   byte 0: the kind (0 to 63), or 64 + the kind (0 to 61) when a round-trip
//           time follows, or 127 when the kind follows as 4 bytes (kinds are
//           small, but NotifyMessage passes on whatever a board gives it; a
//           kind written so keeps no time);
//   then the time if any, in microseconds, and the count, each 7 bits per
//   byte, low bits first, bit 7 meaning "more".
// Two marks take a record's place in a segment, each a byte and a pointer:
// 126, for a record kept in an allocation of its own (header and bytes, as
// above); 128, where a segment ends, for the next segment's start.
namespace {

constexpr tvr::BYTE KIND_FOLLOWS = 0x7F;
constexpr tvr::BYTE ELSEWHERE = 0x7E;
constexpr tvr::BYTE NEXT_SEGMENT = 0x80;
using tvr_trace_layout::MARK_SIZE;
using tvr_trace_layout::SHORT_KINDS;
constexpr tvr::BYTE TIMED = 0x40;
constexpr int SHORT_TIMED_KINDS = 0x3E;  // kinds that keep a time

bool IsShortKind(int kind) {
  return kind >= 0 && kind < SHORT_KINDS;
}

std::size_t VarSize(std::uint64_t value) {
  std::size_t size = 0;
  do {
    ++size;
    value >>= 7;
  } while (value);
  return size;
}

tvr::BYTE* WriteVar(tvr::BYTE* p, std::uint64_t value) {
  do {
    tvr::BYTE b = value & 0x7F;
    value >>= 7;
    *p++ = value ? (b | 0x80) : b;
  } while (value);
  return p;
}

const tvr::BYTE* ReadVar(const tvr::BYTE* p, std::uint64_t& value) {
  value = 0;
  for (int shift = 0;; shift += 7) {
    tvr::BYTE b = *p++;
    value |= std::uint64_t(b & 0x7F) << shift;
    if (!(b & 0x80)) break;
  }
  return p;
}

// Times are kept to the microsecond, as the time column shows them.
std::uint64_t ToMicros(std::int64_t ns) {
  return std::uint64_t(ns + 500) / 1000;
}

std::size_t HeaderSize(int kind, tvr::DWORD count, std::int64_t time) {
  std::size_t size = IsShortKind(kind) ? 1 : 5;
  if (time >= 0) size += VarSize(ToMicros(time));
  return size + VarSize(count);
}

tvr::BYTE* WriteHeader(tvr::BYTE* p, int kind, tvr::DWORD count, std::int64_t time) {
  if (time >= 0) {
    *p++ = tvr::BYTE(TIMED | kind);
    p = WriteVar(p, ToMicros(time));
  } else if (IsShortKind(kind)) {
    *p++ = tvr::BYTE(kind);
  } else {
    *p++ = KIND_FOLLOWS;
    std::memcpy(p, &kind, 4);
    p += 4;
  }
  return WriteVar(p, count);
}

CTVRTraceRecord ReadHeader(const tvr::BYTE* p, std::int64_t* pTime = nullptr) {
  CTVRTraceRecord record{0, nullptr, 0};
  std::int64_t time = CTVRTraceLog::NO_TIME;
  const tvr::BYTE code = *p++;
  if (code == KIND_FOLLOWS) {
    std::memcpy(&record.m_nKind, p, 4);
    p += 4;
  } else if (code & TIMED) {
    record.m_nKind = code & ~TIMED;
    std::uint64_t micros = 0;
    p = ReadVar(p, micros);
    time = std::int64_t(micros) * 1000;
  } else {
    record.m_nKind = code;
  }
  std::uint64_t count = 0;
  p = ReadVar(p, count);
  record.m_pData = p;
  record.m_dwCount = tvr::DWORD(count);
  if (pTime) *pTime = time;
  return record;
}

tvr::BYTE* WriteMark(tvr::BYTE* p, tvr::BYTE mark, tvr::BYTE* target) {
  p[0] = mark;
  std::memcpy(p + 1, &target, sizeof(target));
  return p + MARK_SIZE;
}

const tvr::BYTE* MarkTarget(const tvr::BYTE* p) {
  const tvr::BYTE* target;
  std::memcpy(&target, p + 1, sizeof(target));
  return target;
}

// The record at p, a mark for one of its own followed.
CTVRTraceRecord ReadRecord(const tvr::BYTE* p, std::int64_t* pTime = nullptr) {
  return ReadHeader(*p == ELSEWHERE ? MarkTarget(p) : p, pTime);
}

// The place of the record after the one at p, a segment's end followed.
const tvr::BYTE* After(const tvr::BYTE* p) {
  if (*p == ELSEWHERE) {
    p += MARK_SIZE;
  } else {
    const CTVRTraceRecord record = ReadHeader(p);
    p = record.m_pData + record.m_dwCount;
  }
  return *p == NEXT_SEGMENT ? MarkTarget(p) : p;
}

}  // namespace

CTVRTraceLog::~CTVRTraceLog() {
  Clear();
}

CTVRTraceRecord CTVRTraceLog::AppendAny(int kind, const tvr::BYTE* data, tvr::DWORD count, std::int64_t roundTripNs,
                                        const tvr::BYTE* more, tvr::DWORD moreCount) {
  if (m_nKeepLimit != 0 && m_nCount >= 2 * m_nKeepLimit) DropOldest();
  if (kind < 0 || kind >= SHORT_TIMED_KINDS || roundTripNs < 0) roundTripNs = NO_TIME;
  const tvr::DWORD total = count + moreCount;
  const std::size_t need = HeaderSize(kind, total, roundTripNs) + total;
  const bool own = total > LARGE_RECORD;
  // What the segment holds of it: the record, or the mark pointing to it.
  const std::size_t place = own ? MARK_SIZE : need;
  if (std::size_t(m_pRoomEnd - m_pWrite) < place) {
    tvr::BYTE* segment = TakeSegment();
    if (m_pWrite != nullptr) WriteMark(m_pWrite, NEXT_SEGMENT, segment);
    m_segments.push_back(segment);
    m_pWrite = segment;
    m_pRoomEnd = segment + SEGMENT_SIZE - MARK_SIZE;
  }
  tvr::BYTE* const at = m_pWrite;
  m_pWrite += place;
  tvr::BYTE* start = at;
  if (own) {
    start = new tvr::BYTE[need];
    m_large.push_back(start);
    m_nLargeBytes += need;
    WriteMark(at, ELSEWHERE, start);
  }
  tvr::BYTE* p = WriteHeader(start, kind, total, roundTripNs);
  if (count) std::memcpy(p, data, count);
  if (moreCount) std::memcpy(p + count, more, moreCount);

  if (m_nCount % GROUP == 0) {
    if (m_nCount % (GROUP * INDEX_CHUNK) == 0) {
      if (m_nCount / (GROUP * INDEX_CHUNK) == m_index.size()) {
        m_index.push_back(new tvr::BYTE*[INDEX_CHUNK]);
        m_nHeld += INDEX_CHUNK * sizeof(tvr::BYTE*);
      }
      m_ppGroup = m_index[m_nCount / (GROUP * INDEX_CHUNK)];
    }
    *m_ppGroup++ = at;
  }
  ++m_nCount;
  SetSlowAt();
  return CTVRTraceRecord{kind, p, total};
}

void CTVRTraceLog::SetSlowAt() {
  constexpr std::size_t CHUNK_RECORDS = GROUP * INDEX_CHUNK;
  // The next record to take an index chunk, unless the oldest are to go first.
  m_nSlowAt = (m_nCount + CHUNK_RECORDS - 1) / CHUNK_RECORDS * CHUNK_RECORDS;
  if (m_nKeepLimit != 0 && 2 * m_nKeepLimit < m_nSlowAt) m_nSlowAt = std::max(m_nCount, 2 * m_nKeepLimit);
}

tvr::BYTE* CTVRTraceLog::TakeSegment() {
  if (m_nHeld < HUGE_FROM) {
    m_nHeld += SEGMENT_SIZE;
    ++m_nOwnSegments;
    return new tvr::BYTE[SEGMENT_SIZE];
  }
  if (m_nBlockUsed + SEGMENT_SIZE > HUGE_BLOCK) {
    // Aligned, so that the whole block can be one huge page; a kernel without
    // them gives ordinary pages.
    void* block = ::operator new[](HUGE_BLOCK, std::align_val_t(HUGE_BLOCK));
    m_hugeBlocks.push_back(static_cast<tvr::BYTE*>(block));
    m_nHeld += HUGE_BLOCK;
    m_nBlockUsed = 0;
    madvise(block, HUGE_BLOCK, MADV_HUGEPAGE);
  }
  tvr::BYTE* segment = m_hugeBlocks.back() + m_nBlockUsed;
  m_nBlockUsed += SEGMENT_SIZE;
  return segment;
}

const tvr::BYTE* CTVRTraceLog::Find(std::size_t index) const {
  if (index == m_nFound) return m_pFound;
  const tvr::BYTE* p;
  if (m_nFound != NOT_FOUND && index == m_nFound + 1) {
    p = After(m_pFound);
  } else {
    const std::size_t group = index / GROUP;
    p = m_index[group / INDEX_CHUNK][group % INDEX_CHUNK];
    for (std::size_t i = index % GROUP; i != 0; --i) p = After(p);
  }
  m_nFound = index;
  m_pFound = p;
  return p;
}

CTVRTraceRecord CTVRTraceLog::GetAt(std::size_t index) const {
  if (index >= m_nCount) return CTVRTraceRecord{-1, nullptr, 0};
  return ReadRecord(Find(index));
}

std::int64_t CTVRTraceLog::GetTimeAt(std::size_t index) const {
  if (index >= m_nCount) return NO_TIME;
  std::int64_t time = NO_TIME;
  ReadRecord(Find(index), &time);
  return time;
}

void CTVRTraceLog::DropOldest() {
  CTVRTraceLog tail;
  // Walked record by record; nothing is read past the last.
  const tvr::BYTE* p = Find(m_nCount - m_nKeepLimit);
  for (std::size_t i = 0;;) {
    std::int64_t time = NO_TIME;
    const CTVRTraceRecord record = ReadRecord(p, &time);
    tail.Append(record.m_nKind, record.m_pData, record.m_dwCount, time);
    if (++i == m_nKeepLimit) break;
    p = After(p);
  }
  const std::size_t dropped = m_nDropped + (m_nCount - m_nKeepLimit);
  Clear();
  SwapStorage(tail);  // Clear forgot the record found last
  m_nDropped = dropped;
  SetSlowAt();
}

void CTVRTraceLog::SwapStorage(CTVRTraceLog& other) {
  std::swap(m_nHeld, other.m_nHeld);
  std::swap(m_nOwnSegments, other.m_nOwnSegments);
  m_hugeBlocks.swap(other.m_hugeBlocks);
  std::swap(m_nBlockUsed, other.m_nBlockUsed);
  m_segments.swap(other.m_segments);
  std::swap(m_pWrite, other.m_pWrite);
  std::swap(m_pRoomEnd, other.m_pRoomEnd);
  m_index.swap(other.m_index);
  std::swap(m_ppGroup, other.m_ppGroup);
  m_large.swap(other.m_large);
  std::swap(m_nCount, other.m_nCount);
  std::swap(m_nLargeBytes, other.m_nLargeBytes);
}

void CTVRTraceLog::Clear() {
  for (tvr::BYTE* record : m_large) delete[] record;
  m_large.clear();
  m_large.shrink_to_fit();
  for (std::size_t i = 0; i < m_nOwnSegments; ++i) delete[] m_segments[i];
  for (tvr::BYTE** chunk : m_index) delete[] chunk;
  for (tvr::BYTE* block : m_hugeBlocks) ::operator delete[](block, std::align_val_t(HUGE_BLOCK));
  m_hugeBlocks.clear();
  m_hugeBlocks.shrink_to_fit();
  m_nHeld = 0;
  m_nOwnSegments = 0;
  m_nBlockUsed = HUGE_BLOCK;
  m_segments.clear();
  m_segments.shrink_to_fit();
  m_pWrite = nullptr;
  m_pRoomEnd = nullptr;
  m_index.clear();
  m_index.shrink_to_fit();
  m_ppGroup = nullptr;
  m_nCount = 0;
  m_nLargeBytes = 0;
  m_nDropped = 0;
  m_nFound = NOT_FOUND;
  SetSlowAt();
}

std::size_t CTVRTraceLog::GetMemoryUsed() const {
  return m_nHeld + m_hugeBlocks.capacity() * sizeof(m_hugeBlocks[0]) + m_segments.capacity() * sizeof(m_segments[0]) +
         m_nLargeBytes + m_large.capacity() * sizeof(m_large[0]) + m_index.capacity() * sizeof(m_index[0]);
}

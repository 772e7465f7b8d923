#include "trace/trace_log.h"

#include <cstring>
#include <new>
#include <utility>

#include <sys/mman.h>

#include "platform/short_copy.h"

// Record layout: a header, then the bytes.
//   byte 0: bit 7 set when the record has an allocation of its own; bits 0-6
//           the kind (0 to 63), or 64 + the kind (0 to 61) when a round-trip
//           time follows, or 127 when the kind follows as 4 bytes (kinds are
//           small, but NotifyMessage passes on whatever a board gives it; a
//           kind written so keeps no time);
//   then the time if any, in microseconds, and the count, each 7 bits per
//   byte, low bits first, bit 7 meaning "more".
namespace {

constexpr tvr::BYTE OWN_ALLOCATION = 0x80;
constexpr tvr::BYTE KIND_FOLLOWS = 0x7F;
constexpr tvr::BYTE TIMED = 0x40;
constexpr int SHORT_KINDS = 0x40;         // kinds written in byte 0
constexpr int SHORT_TIMED_KINDS = 0x3E;   // kinds that keep a time
constexpr tvr::DWORD SHORT_COUNT = 0x80;  // counts written in one byte

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

tvr::BYTE* WriteHeader(tvr::BYTE* p, int kind, tvr::DWORD count, std::int64_t time, bool own) {
  tvr::BYTE flag = own ? OWN_ALLOCATION : 0;
  if (time >= 0) {
    *p++ = tvr::BYTE(TIMED | kind) | flag;
    p = WriteVar(p, ToMicros(time));
  } else if (IsShortKind(kind)) {
    *p++ = tvr::BYTE(kind) | flag;
  } else {
    *p++ = KIND_FOLLOWS | flag;
    std::memcpy(p, &kind, 4);
    p += 4;
  }
  return WriteVar(p, count);
}

CTVRTraceRecord ReadHeader(const tvr::BYTE* p, std::int64_t* pTime = nullptr) {
  CTVRTraceRecord record{0, nullptr, 0};
  std::int64_t time = CTVRTraceLog::NO_TIME;
  tvr::BYTE code = *p++ & 0x7F;
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

}  // namespace

CTVRTraceLog::~CTVRTraceLog() {
  Clear();
}

// Most records of a run: a short kind, no time and fewer than 128 bytes, in
// the room left, with the index's chunk made and nothing to drop. Their
// header is the kind's byte and the count's.
inline bool CTVRTraceLog::FitsShort(int kind, tvr::DWORD count) const {
  return IsShortKind(kind) && count < SHORT_COUNT && m_nSegmentUsed + 2 + count <= SEGMENT_SIZE &&
         m_nCount % INDEX_CHUNK != 0 && (m_nKeepLimit == 0 || m_nCount < 2 * m_nKeepLimit);
}

inline tvr::BYTE* CTVRTraceLog::StartShort(int kind, tvr::DWORD count) {
  tvr::BYTE* start = m_segments.back() + m_nSegmentUsed;
  start[0] = tvr::BYTE(kind);
  start[1] = tvr::BYTE(count);
  m_nSegmentUsed += 2 + count;
  m_index[m_nCount / INDEX_CHUNK][m_nCount % INDEX_CHUNK] = start;
  ++m_nCount;
  return start + 2;
}

CTVRTraceRecord CTVRTraceLog::Append(int kind, const tvr::BYTE* data, tvr::DWORD count, std::int64_t roundTripNs) {
  if (!data) count = 0;
  if (roundTripNs < 0 && FitsShort(kind, count)) {
    tvr::BYTE* bytes = StartShort(kind, count);
    tvr_bytes::CopyShort(bytes, data, count);
    return CTVRTraceRecord{kind, bytes, count};
  }
  return AppendAny(kind, data, count, roundTripNs);
}

CTVRTraceRecord CTVRTraceLog::AppendJoined(int kind, const tvr::BYTE* first, tvr::DWORD firstCount,
                                           const tvr::BYTE* second, tvr::DWORD secondCount) {
  if (!first) firstCount = 0;
  if (!second) secondCount = 0;
  const tvr::DWORD count = firstCount + secondCount;
  if (FitsShort(kind, count)) {
    tvr::BYTE* bytes = StartShort(kind, count);
    tvr_bytes::CopyShort(bytes, first, firstCount);
    tvr_bytes::CopyShort(bytes + firstCount, second, secondCount);
    return CTVRTraceRecord{kind, bytes, count};
  }
  return AppendAny(kind, first, firstCount, NO_TIME, second, secondCount);
}

CTVRTraceRecord CTVRTraceLog::AppendAny(int kind, const tvr::BYTE* data, tvr::DWORD count, std::int64_t roundTripNs,
                                        const tvr::BYTE* more, tvr::DWORD moreCount) {
  if (m_nKeepLimit != 0 && m_nCount >= 2 * m_nKeepLimit) DropOldest();
  if (kind < 0 || kind >= SHORT_TIMED_KINDS || roundTripNs < 0) roundTripNs = NO_TIME;
  const tvr::DWORD total = count + moreCount;
  std::size_t need = HeaderSize(kind, total, roundTripNs) + total;
  bool own = total > LARGE_RECORD;
  tvr::BYTE* start;
  if (own) {
    start = new tvr::BYTE[need];
    m_nLargeBytes += need;
  } else {
    if (m_nSegmentUsed + need > SEGMENT_SIZE) {
      m_segments.push_back(TakeMemory(SEGMENT_SIZE, m_SegmentCutter, m_nOwnSegments));
      m_nSegmentUsed = 0;
    }
    start = m_segments.back() + m_nSegmentUsed;
    m_nSegmentUsed += need;
  }
  tvr::BYTE* p = WriteHeader(start, kind, total, roundTripNs, own);
  if (count) std::memcpy(p, data, count);
  if (moreCount) std::memcpy(p + count, more, moreCount);

  if (m_nCount % INDEX_CHUNK == 0 && m_nCount / INDEX_CHUNK == m_index.size())
    m_index.push_back(
        reinterpret_cast<tvr::BYTE**>(TakeMemory(INDEX_CHUNK * sizeof(tvr::BYTE*), m_IndexCutter, m_nOwnIndexChunks)));
  m_index[m_nCount / INDEX_CHUNK][m_nCount % INDEX_CHUNK] = start;
  ++m_nCount;

  CTVRTraceRecord record{kind, p, total};
  return record;
}

tvr::BYTE* CTVRTraceLog::TakeMemory(std::size_t size, CCutter& cutter, std::size_t& ownCount) {
  if (m_nHeld < HUGE_FROM) {
    m_nHeld += size;
    ++ownCount;
    return new tvr::BYTE[size];
  }
  if (cutter.m_nUsed + size > HUGE_BLOCK) {
    // Aligned, so that the whole block can be one huge page; a kernel without
    // them gives ordinary pages.
    cutter.m_p = static_cast<tvr::BYTE*>(::operator new[](HUGE_BLOCK, std::align_val_t(HUGE_BLOCK)));
    m_hugeBlocks.push_back(cutter.m_p);
    m_nHeld += HUGE_BLOCK;
    cutter.m_nUsed = 0;
    madvise(cutter.m_p, HUGE_BLOCK, MADV_HUGEPAGE);
  }
  tvr::BYTE* piece = cutter.m_p + cutter.m_nUsed;
  cutter.m_nUsed += size;
  return piece;
}

CTVRTraceRecord CTVRTraceLog::GetAt(std::size_t index) const {
  if (index >= m_nCount) return CTVRTraceRecord{-1, nullptr, 0};
  return ReadHeader(m_index[index / INDEX_CHUNK][index % INDEX_CHUNK]);
}

std::int64_t CTVRTraceLog::GetTimeAt(std::size_t index) const {
  if (index >= m_nCount) return NO_TIME;
  std::int64_t time = NO_TIME;
  ReadHeader(m_index[index / INDEX_CHUNK][index % INDEX_CHUNK], &time);
  return time;
}

void CTVRTraceLog::DropOldest() {
  CTVRTraceLog tail;
  for (std::size_t i = m_nCount - m_nKeepLimit; i < m_nCount; ++i) {
    std::int64_t time = NO_TIME;
    const CTVRTraceRecord record = ReadHeader(m_index[i / INDEX_CHUNK][i % INDEX_CHUNK], &time);
    tail.Append(record.m_nKind, record.m_pData, record.m_dwCount, time);
  }
  const std::size_t dropped = m_nDropped + (m_nCount - m_nKeepLimit);
  Clear();
  m_hugeBlocks.swap(tail.m_hugeBlocks);
  std::swap(m_nHeld, tail.m_nHeld);
  std::swap(m_nOwnSegments, tail.m_nOwnSegments);
  std::swap(m_nOwnIndexChunks, tail.m_nOwnIndexChunks);
  std::swap(m_SegmentCutter, tail.m_SegmentCutter);
  std::swap(m_IndexCutter, tail.m_IndexCutter);
  m_segments.swap(tail.m_segments);
  m_index.swap(tail.m_index);
  std::swap(m_nSegmentUsed, tail.m_nSegmentUsed);
  std::swap(m_nCount, tail.m_nCount);
  std::swap(m_nLargeBytes, tail.m_nLargeBytes);
  m_nDropped = dropped;
}

void CTVRTraceLog::Clear() {
  if (m_nLargeBytes) {
    for (std::size_t i = 0; i < m_nCount; ++i) {
      tvr::BYTE* start = m_index[i / INDEX_CHUNK][i % INDEX_CHUNK];
      if (*start & OWN_ALLOCATION) delete[] start;
    }
  }
  for (std::size_t i = 0; i < m_nOwnSegments; ++i) delete[] m_segments[i];
  for (std::size_t i = 0; i < m_nOwnIndexChunks; ++i) delete[] reinterpret_cast<tvr::BYTE*>(m_index[i]);
  for (tvr::BYTE* block : m_hugeBlocks) ::operator delete[](block, std::align_val_t(HUGE_BLOCK));
  m_hugeBlocks.clear();
  m_hugeBlocks.shrink_to_fit();
  m_nHeld = 0;
  m_nOwnSegments = 0;
  m_nOwnIndexChunks = 0;
  m_SegmentCutter = {};
  m_IndexCutter = {};
  m_segments.clear();
  m_segments.shrink_to_fit();
  m_index.clear();
  m_index.shrink_to_fit();
  m_nSegmentUsed = SEGMENT_SIZE;
  m_nCount = 0;
  m_nLargeBytes = 0;
  m_nDropped = 0;
}

std::size_t CTVRTraceLog::GetMemoryUsed() const {
  return m_nHeld + m_hugeBlocks.capacity() * sizeof(m_hugeBlocks[0]) + m_segments.capacity() * sizeof(m_segments[0]) +
         m_nLargeBytes + m_index.capacity() * sizeof(m_index[0]);
}

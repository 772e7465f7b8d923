// The trace records a document keeps: kind, bytes and count, in arrival order.
//
// A loop test can run for hours, so records are packed into 64 KiB segments (a
// header of one to a few bytes before each record's bytes) with no allocation
// per record; a record of more than 512 bytes gets an allocation of its own,
// which its place in the segment points to, so that the tail a segment cannot
// use stays small. The index holds one pointer per eight records, in chunks:
// a record is found from the one its group starts with. What a record costs
// beyond its bytes stays under 16 bytes (about 3 for the short records of a
// typical exchange: a kind, a count and an eighth of a pointer), under 32 for
// one of its own allocation (its mark and its place in a list). An answer
// record may keep its round-trip time too, in its header, to the microsecond:
// 7 bits per byte (one byte under 128 us, two under 16 ms), on that record only.
//
// Segments are allocations of their own until the log holds 16 MiB (a
// document's usual trace, a kept tail); beyond, they are cut from 2 MiB blocks
// that the kernel is asked to back with huge pages, so that a long run's trace
// takes a page fault per 2 MiB instead of one per 4 KiB: the faults of a
// growing trace took about a tenth of a statement's processor time with the
// trace on. Fewer bytes a record are fewer pages for the kernel to clear: with
// a pointer a record, the index was a third of a run's trace.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include <tavric/trace_record.h>
#include <tavric/types.h>

#include "platform/short_copy.h"

// Sizes of the records' layout (trace_log.cpp tells it whole), shared by the
// inline append below and the rest of the log.
namespace tvr_trace_layout {
// A mark takes a record's place in a segment: a byte and a pointer.
constexpr std::size_t MARK_SIZE = 1 + sizeof(tvr::BYTE*);
// Kinds below this are written in a record's first byte.
constexpr int SHORT_KINDS = 0x40;
// Counts below this are written in one byte.
constexpr tvr::DWORD ONE_BYTE_COUNTS = 0x80;
}  // namespace tvr_trace_layout

class CTVRTraceLog {
 public:
  CTVRTraceLog() = default;
  ~CTVRTraceLog();
  CTVRTraceLog(const CTVRTraceLog&) = delete;
  CTVRTraceLog& operator=(const CTVRTraceLog&) = delete;

  // No round-trip time kept with a record.
  static constexpr std::int64_t NO_TIME = -1;

  // The time a record keeps of the one given: to the microsecond.
  static std::int64_t KeptTime(std::int64_t ns) { return ns < 0 ? NO_TIME : (ns + 500) / 1000 * 1000; }

  // Appends a copy; returns a view of the stored record, valid until the next
  // Append or Clear. A time (nanoseconds, not negative) is kept with it.
  CTVRTraceRecord Append(int kind, const tvr::BYTE* data, tvr::DWORD count, std::int64_t roundTripNs = NO_TIME) {
    if (!data) count = 0;
    if (roundTripNs < 0 && FitsShort(kind, count)) {
      tvr::BYTE* bytes = StartShort(kind, count);
      tvr_bytes::CopyShort(bytes, data, count);
      return CTVRTraceRecord{kind, bytes, count};
    }
    return AppendAny(kind, data, count, roundTripNs);
  }
  // Appends one record whose bytes are the two parts joined (a decoded text
  // made of a table's name and a word), copied from where they are.
  CTVRTraceRecord AppendJoined(int kind, const tvr::BYTE* first, tvr::DWORD firstCount, const tvr::BYTE* second,
                               tvr::DWORD secondCount) {
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
  void Clear();

  // Keeps at least the last n records and at most twice as many, dropping the
  // oldest (0, the default: keeps everything). The desktop document keeps its
  // whole trace; a headless run that streams its trace keeps a tail.
  void SetKeepLimit(std::size_t n) {
    m_nKeepLimit = n;
    SetSlowAt();
  }
  std::size_t GetKeepLimit() const { return m_nKeepLimit; }
  // Records dropped from the front since the last Clear.
  std::size_t GetDroppedCount() const { return m_nDropped; }

  // Records kept.
  std::size_t GetCount() const { return m_nCount; }
  // The kept record at index (0 for the oldest kept); an empty record of kind -1 past the end.
  CTVRTraceRecord GetAt(std::size_t index) const;
  // The round-trip time kept with the record at index, in nanoseconds (whole
  // microseconds: the time given, rounded), or NO_TIME. Kinds 0 to 61 keep one.
  std::int64_t GetTimeAt(std::size_t index) const;
  // Bytes of memory held (segments, own allocations and index), for the benchmark.
  std::size_t GetMemoryUsed() const;

 private:
  static constexpr std::size_t SEGMENT_SIZE = std::size_t{64} * 1024;
  static constexpr std::size_t LARGE_RECORD = 512;
  // Records a pointer of the index stands for: the first of them.
  static constexpr std::size_t GROUP = 8;
  static constexpr std::size_t INDEX_CHUNK = 1024;
  static constexpr std::size_t HUGE_FROM = std::size_t{16} * 1024 * 1024;
  static constexpr std::size_t HUGE_BLOCK = std::size_t{2} * 1024 * 1024;

  std::size_t m_nHeld = 0;  // bytes of segments and index chunks
  // The first segments are allocations of their own; the rest are cut from
  // the huge blocks, the last of which has m_nBlockUsed bytes cut.
  std::size_t m_nOwnSegments = 0;
  std::vector<tvr::BYTE*> m_hugeBlocks;
  std::size_t m_nBlockUsed = HUGE_BLOCK;
  std::vector<tvr::BYTE*> m_segments;
  // Where the next record goes in the last segment, and where its room ends
  // (the room for the mark that links it to the next segment left out); both
  // null before the first segment.
  tvr::BYTE* m_pWrite = nullptr;
  tvr::BYTE* m_pRoomEnd = nullptr;
  std::vector<tvr::BYTE**> m_index;  // chunks of INDEX_CHUNK group starts
  // The records of their own allocation, freed by Clear. Their marks hold the
  // same pointers unaligned, where a leak checker does not look for them.
  std::vector<tvr::BYTE*> m_large;
  tvr::BYTE** m_ppGroup = nullptr;  // where the next group's start goes
  std::size_t m_nCount = 0;
  // The count at which an append has more to do than write its record where
  // the last one ended: an index chunk to take, or the oldest to drop.
  std::size_t m_nSlowAt = 0;
  std::size_t m_nLargeBytes = 0;  // bytes held by records of their own
  std::size_t m_nKeepLimit = 0;
  std::size_t m_nDropped = 0;
  // The record found last, and its place: the next one is one step on, and a
  // reader that goes through the trace in order (a search, a save) or reads
  // a record's bytes then its time walks no group. The log is the UI thread's.
  mutable std::size_t m_nFound = NOT_FOUND;
  mutable const tvr::BYTE* m_pFound = nullptr;
  static constexpr std::size_t NOT_FOUND = ~std::size_t{0};

  // Whether a record of a short kind, no time and count bytes (fewer than
  // 128) goes where the last one ended, with a two-byte header.
  bool FitsShort(int kind, tvr::DWORD count) const {
    return unsigned(kind) < unsigned(tvr_trace_layout::SHORT_KINDS) && count < tvr_trace_layout::ONE_BYTE_COUNTS &&
           m_nCount != m_nSlowAt && std::size_t(m_pRoomEnd - m_pWrite) >= 2 + std::size_t(count);
  }
  // Writes that record's header (and its group's pointer when it starts one);
  // its bytes follow at the returned address.
  tvr::BYTE* StartShort(int kind, tvr::DWORD count) {
    tvr::BYTE* start = m_pWrite;
    if (m_nCount % GROUP == 0) *m_ppGroup++ = start;
    start[0] = tvr::BYTE(kind);
    start[1] = tvr::BYTE(count);
    m_pWrite = start + 2 + count;
    ++m_nCount;
    return start + 2;
  }
  // Any record: the header's size counted first, then written; its bytes are
  // the two parts joined (the second may be empty).
  CTVRTraceRecord AppendAny(int kind, const tvr::BYTE* data, tvr::DWORD count, std::int64_t roundTripNs,
                            const tvr::BYTE* more = nullptr, tvr::DWORD moreCount = 0);
  // The next count at which an append takes the long way.
  void SetSlowAt();
  // The place of the record at index, from its group's start on.
  const tvr::BYTE* Find(std::size_t index) const;
  // Moves what other holds (records, memory, count) into this log, and this
  // log's into other.
  void SwapStorage(CTVRTraceLog& other);
  // A segment, held until Clear. (Index chunks, an eighth of a pointer a
  // record, are allocations of their own.)
  tvr::BYTE* TakeSegment();
  // Moves the last m_nKeepLimit records into fresh storage and frees the rest:
  // done once per m_nKeepLimit appends, so it costs one copy per record.
  void DropOldest();
};

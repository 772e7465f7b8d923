// The trace records a document keeps: kind, bytes and count, in arrival order.
//
// A loop test can run for hours, so records are packed into 64 KiB segments (a
// header of one to a few bytes before each record's bytes) with no allocation
// per record; a record of more than 512 bytes gets an allocation of its own, so
// that the tail a segment cannot use stays small. The index holds one pointer
// per record, in chunks. What a record costs beyond its bytes stays under 16
// bytes (about 10 for the short records of a typical exchange). An answer
// record may keep its round-trip time too, in its header, to the microsecond:
// 7 bits per byte (one byte under 128 us, two under 16 ms), on that record only.
//
// Segments and index chunks are allocations of their own until the log holds
// 16 MiB (a document's usual trace, a kept tail); beyond, they are cut from
// 2 MiB blocks that the kernel is asked to back with huge pages, so that a
// long run's trace takes a page fault per 2 MiB instead of one per 4 KiB: the
// faults of a growing trace took about a tenth of a statement's processor
// time with the trace on.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include <tavric/trace_record.h>
#include <tavric/types.h>

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
  CTVRTraceRecord Append(int kind, const tvr::BYTE* data, tvr::DWORD count, std::int64_t roundTripNs = NO_TIME);
  // Appends one record whose bytes are the two parts joined (a decoded text
  // made of a table's name and a word), copied from where they are.
  CTVRTraceRecord AppendJoined(int kind, const tvr::BYTE* first, tvr::DWORD firstCount, const tvr::BYTE* second,
                               tvr::DWORD secondCount);
  void Clear();

  // Keeps at least the last n records and at most twice as many, dropping the
  // oldest (0, the default: keeps everything). The desktop document keeps its
  // whole trace; a headless run that streams its trace keeps a tail.
  void SetKeepLimit(std::size_t n) { m_nKeepLimit = n; }
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
  static constexpr std::size_t INDEX_CHUNK = 1024;
  static constexpr std::size_t HUGE_FROM = std::size_t{16} * 1024 * 1024;
  static constexpr std::size_t HUGE_BLOCK = std::size_t{2} * 1024 * 1024;

  // The huge block that pieces of one size are cut from, and how much of it is cut.
  struct CCutter {
    tvr::BYTE* m_p = nullptr;
    std::size_t m_nUsed = HUGE_BLOCK;
  };

  std::size_t m_nHeld = 0;  // bytes of segments and index chunks
  // The first segments and index chunks are allocations of their own; the
  // rest are cut from the huge blocks.
  std::size_t m_nOwnSegments = 0;
  std::size_t m_nOwnIndexChunks = 0;
  std::vector<tvr::BYTE*> m_hugeBlocks;
  CCutter m_SegmentCutter;
  CCutter m_IndexCutter;
  std::vector<tvr::BYTE*> m_segments;
  std::size_t m_nSegmentUsed = SEGMENT_SIZE;  // bytes used in the last segment
  std::vector<tvr::BYTE**> m_index;           // chunks of INDEX_CHUNK record starts
  std::size_t m_nCount = 0;
  std::size_t m_nLargeBytes = 0;  // bytes held by records of their own
  std::size_t m_nKeepLimit = 0;
  std::size_t m_nDropped = 0;

  // Whether a record of a short kind, no time and count bytes (fewer than
  // 128) goes where the last one ended, with a two-byte header.
  bool FitsShort(int kind, tvr::DWORD count) const;
  // Writes that record's header and index entry; its bytes follow at the
  // returned address.
  tvr::BYTE* StartShort(int kind, tvr::DWORD count);
  // Any record: the header's size counted first, then written; its bytes are
  // the two parts joined (the second may be empty).
  CTVRTraceRecord AppendAny(int kind, const tvr::BYTE* data, tvr::DWORD count, std::int64_t roundTripNs,
                            const tvr::BYTE* more = nullptr, tvr::DWORD moreCount = 0);
  // size bytes for a segment or an index chunk, held until Clear; ownCount
  // counts the pieces that are allocations of their own.
  tvr::BYTE* TakeMemory(std::size_t size, CCutter& cutter, std::size_t& ownCount);
  // Moves the last m_nKeepLimit records into fresh storage and frees the rest:
  // done once per m_nKeepLimit appends, so it costs one copy per record.
  void DropOldest();
};

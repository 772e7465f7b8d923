// The trace records a document keeps: kind, bytes and count, in arrival order.
//
// A loop test can run for hours, so records are packed into one growing arena
// (a few bytes of header before each record's bytes) with no allocation per
// record; what a record costs beyond its bytes stays well under 16 bytes.
#pragma once

#include <cstddef>
#include <vector>

#include <tavric/trace_record.h>
#include <tavric/types.h>

class CTVRTraceLog {
 public:
  // Appends a copy; returns a view of the stored record, valid until the next Append or Clear.
  CTVRTraceRecord Append(int kind, const tvr::BYTE* data, tvr::DWORD count);
  void Clear();

  std::size_t GetCount() const;
  CTVRTraceRecord GetAt(std::size_t index) const;
  // Bytes of memory held (arena and index), for the benchmark.
  std::size_t GetMemoryUsed() const;

 private:
  std::vector<tvr::BYTE> m_arena;
  std::vector<std::uint32_t> m_offsets;  // start of each record in the arena
};

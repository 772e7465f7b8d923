// The document's record store: order, copies, odd kinds, and what it costs.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "trace/trace_log.h"

namespace {

std::string Data(const CTVRTraceRecord& r) {
  return std::string(reinterpret_cast<const char*>(r.m_pData), r.m_dwCount);
}

TEST(TraceLog, RecordsComeBackInOrderAsCopies) {
  CTVRTraceLog log;
  std::string first = "first";
  CTVRTraceRecord appended = log.Append(TRACE_COMMENT, reinterpret_cast<const BYTE*>(first.data()), 5);
  first[0] = 'X';
  EXPECT_EQ(appended.m_nKind, TRACE_COMMENT);
  EXPECT_EQ(Data(appended), "first");
  log.Append(TRACE_CLEAR, nullptr, 0);
  log.Append(TRACE_SENT, reinterpret_cast<const BYTE*>("\x00\x01"), 2);

  ASSERT_EQ(log.GetCount(), 3u);
  EXPECT_EQ(Data(log.GetAt(0)), "first");
  EXPECT_EQ(log.GetAt(1).m_nKind, TRACE_CLEAR);
  EXPECT_EQ(log.GetAt(1).m_dwCount, 0u);
  EXPECT_EQ(Data(log.GetAt(2)), std::string("\x00\x01", 2));
  EXPECT_EQ(log.GetAt(3).m_nKind, -1);  // past the end
  EXPECT_EQ(log.GetAt(3).m_dwCount, 0u);
}

TEST(TraceLog, AnyKindAndAnySizeIsKept) {
  CTVRTraceLog log;
  const std::vector<int> kinds = {-5, 0, 126, 127, 128, 100000};
  const std::vector<std::size_t> sizes = {0, 1, 127, 128, 512, 513, 16384, 70000};
  for (int kind : kinds)
    for (std::size_t size : sizes) {
      std::string data(size, char('a' + size % 26));
      log.Append(kind, reinterpret_cast<const BYTE*>(data.data()), DWORD(size));
    }
  std::size_t i = 0;
  for (int kind : kinds)
    for (std::size_t size : sizes) {
      CTVRTraceRecord r = log.GetAt(i++);
      ASSERT_EQ(r.m_nKind, kind);
      ASSERT_EQ(r.m_dwCount, size);
      EXPECT_EQ(Data(r), std::string(size, char('a' + size % 26)));
    }
}

TEST(TraceLog, ViewsOfEarlierRecordsSurviveLaterAppends) {
  CTVRTraceLog log;
  CTVRTraceRecord first = log.Append(3, reinterpret_cast<const BYTE*>("kept"), 4);
  std::string filler(300, 'f');
  for (int i = 0; i < 5000; ++i) log.Append(1, reinterpret_cast<const BYTE*>(filler.data()), 300);
  EXPECT_EQ(Data(first), "kept");
  EXPECT_EQ(Data(log.GetAt(4321)), filler);
}

TEST(TraceLog, ClearEmptiesItAndReleasesTheMemory) {
  CTVRTraceLog log;
  std::string big(2000, 'b');
  for (int i = 0; i < 3000; ++i) log.Append(1, reinterpret_cast<const BYTE*>(big.data()), i % 2 ? 2000 : 20);
  log.Clear();
  EXPECT_EQ(log.GetCount(), 0u);
  EXPECT_LT(log.GetMemoryUsed(), 1024u);
  log.Append(2, reinterpret_cast<const BYTE*>("again"), 5);
  EXPECT_EQ(Data(log.GetAt(0)), "again");
}

// What a record costs beyond its bytes stays under 16 bytes for the sizes of
// a loop test: short frames, answers, comments and the odd long text.
TEST(TraceLog, OverheadPerRecordStaysUnder16Bytes) {
  for (std::size_t size : {0u, 5u, 23u, 100u, 300u, 511u, 600u, 4095u}) {
    CTVRTraceLog log;
    std::string data(size, 'x');
    const std::size_t count = size > 1000 ? 2000 : 20000;
    for (std::size_t i = 0; i < count; ++i)
      log.Append(int(i % 13), reinterpret_cast<const BYTE*>(data.data()), DWORD(size));
    EXPECT_LE(log.GetMemoryUsed(), count * (size + 16)) << "records of " << size << " bytes";
  }
}

}  // namespace

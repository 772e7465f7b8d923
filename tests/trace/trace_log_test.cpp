// The document's record store: order, copies, odd kinds, and what it costs.
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "trace/trace_log.h"

namespace {

std::string Data(const CTVRTraceRecord& r) {
  return std::string(reinterpret_cast<const char*>(r.m_pData), r.m_dwCount);
}

TEST(TraceLog, RecordsOfAnyKindAndSizeComeBackInOrderAsCopiesUntilCleared) {
  CTVRTraceLog log;
  std::string first = "first";
  EXPECT_EQ(Data(log.Append(TRACE_COMMENT, reinterpret_cast<const BYTE*>(first.data()), 5)), "first");
  first[0] = 'X';
  log.Append(TRACE_CLEAR, nullptr, 0);
  // Sizes around the inline limit and the segment size; kinds beyond the known ones.
  const std::vector<int> kinds = {-5, 0, 127, 128, 100000};
  const std::vector<std::size_t> sizes = {1, 127, 128, 512, 513, 16384, 70000};
  for (int kind : kinds)
    for (std::size_t size : sizes)
      log.Append(kind, reinterpret_cast<const BYTE*>(std::string(size, char('a' + size % 26)).data()), DWORD(size));
  ASSERT_EQ(log.GetCount(), 2 + kinds.size() * sizes.size());
  EXPECT_EQ(Data(log.GetAt(0)), "first");
  EXPECT_EQ(log.GetAt(1).m_nKind, TRACE_CLEAR);
  EXPECT_EQ(log.GetAt(1).m_dwCount, 0u);
  std::size_t i = 2;
  for (int kind : kinds)
    for (std::size_t size : sizes) {
      CTVRTraceRecord r = log.GetAt(i++);
      ASSERT_EQ(r.m_nKind, kind);
      ASSERT_EQ(Data(r), std::string(size, char('a' + size % 26)));
    }
  EXPECT_EQ(log.GetAt(i).m_nKind, -1);  // past the end
  EXPECT_EQ(log.GetAt(i).m_dwCount, 0u);
  log.Clear();
  EXPECT_EQ(log.GetCount(), 0u);
  EXPECT_LT(log.GetMemoryUsed(), 1024u);  // the memory is given back
  log.Append(2, reinterpret_cast<const BYTE*>("again"), 5);
  EXPECT_EQ(Data(log.GetAt(0)), "again");
}

// A record is found from the first of its group of eight, walking over every
// form a record takes: short, timed, of a kind written in full, with a long
// count, of its own allocation, empty; across the segments' ends, and again
// once a keep limit has moved a tail.
TEST(TraceLog, EveryRecordIsFoundWithItsTimeWhateverItsFormAndSegment) {
  struct Form {
    int kind;
    std::size_t size;
    std::int64_t ns;
  };
  const Form forms[] = {
      {TRACE_SENT, 12, -1},      {TRACE_RECEIVED, 9, 123456789}, {100000, 40, 5000}, {TRACE_COMMENT, 200, -1},
      {TRACE_INFO, 700, 777000}, {TRACE_CLEAR, 0, -1},           {-3, 3, -1}};
  auto check = [&](const CTVRTraceLog& log, std::size_t from) {
    for (std::size_t i = 0; i < log.GetCount(); ++i) {
      const Form& f = forms[(from + i) % std::size(forms)];
      const CTVRTraceRecord r = log.GetAt(i);
      ASSERT_EQ(r.m_nKind, f.kind) << "record " << from + i;
      ASSERT_EQ(Data(r), std::string(f.size, char('a' + (from + i) % 26))) << "record " << from + i;
      // Kinds 0 to 61 keep a time, to the microsecond.
      ASSERT_EQ(log.GetTimeAt(i), f.kind >= 0 && f.kind < 62 && f.ns >= 0 ? (f.ns + 500) / 1000 * 1000 : -1);
    }
  };
  CTVRTraceLog log;
  auto append = [&](std::size_t i) {
    const Form& f = forms[i % std::size(forms)];
    const std::string data(f.size, char('a' + i % 26));
    log.Append(f.kind, reinterpret_cast<const BYTE*>(data.data()), DWORD(f.size), f.ns);
  };
  for (std::size_t i = 0; i < 3000; ++i) append(i);  // some 460 KB: eight segments
  check(log, 0);
  log.SetKeepLimit(1001);
  append(3000);
  ASSERT_EQ(log.GetCount(), 1002u);
  check(log, 1999);
}

// What a record costs beyond its bytes stays under 16 bytes for the sizes of
// a loop test (short frames, answers, comments), under 32 for the odd long
// text of its own allocation, and about 3 for the short records of an
// exchange; the first record's segment and index chunk are the log's own
// cost, not the records'.
TEST(TraceLog, OverheadPerRecordStaysUnder16BytesAndUnder4ForShortRecords) {
  for (std::size_t size : {0u, 5u, 23u, 100u, 300u, 511u, 600u, 4095u}) {
    CTVRTraceLog log;
    std::string data(size, 'x');
    const std::size_t count = size > 1000 ? 2000 : 100000;
    log.Append(0, reinterpret_cast<const BYTE*>(data.data()), DWORD(size));
    const std::size_t first = log.GetMemoryUsed();
    for (std::size_t i = 1; i < count; ++i)
      log.Append(int(i % 13), reinterpret_cast<const BYTE*>(data.data()), DWORD(size));
    // A record of more than 512 bytes has its own allocation, a mark in the
    // segment and its place in the list of them.
    const std::size_t overhead = size < 128 ? 4 : size > 512 ? 32 : 16;
    EXPECT_LE(log.GetMemoryUsed() - first, (count - 1) * (size + overhead)) << "records of " << size << " bytes";
    // Found again across index chunks and segments.
    EXPECT_TRUE(log.GetAt(count - 2).m_nKind == int((count - 2) % 13) && Data(log.GetAt(count - 2)) == data);
  }
}

}  // namespace

namespace {

TEST(TraceLog, AKeepLimitHoldsTheNewestRecordsAndDropsTheOldestInBulk) {
  CTVRTraceLog log;
  log.SetKeepLimit(3);
  auto append = [&log](int i) {
    const std::string text = "record " + std::to_string(i);
    // Every fourth record is one of the large ones with an allocation of its own.
    const std::string data = i % 4 == 0 ? text + std::string(600, '.') : text;
    log.Append(TRACE_COMMENT, reinterpret_cast<const BYTE*>(data.data()), DWORD(data.size()));
  };
  for (int i = 1; i <= 6; ++i) append(i);
  EXPECT_EQ(log.GetCount(), 6u) << "nothing dropped before twice the limit";
  append(7);
  // The seventh append keeps 4, 5, 6 and adds 7.
  ASSERT_EQ(log.GetCount(), 4u);
  EXPECT_EQ(log.GetDroppedCount(), 3u);
  EXPECT_EQ(Data(log.GetAt(0)).substr(0, 8), "record 4");
  EXPECT_EQ(Data(log.GetAt(0)).size(), 608u);
  EXPECT_EQ(Data(log.GetAt(3)), "record 7");
  for (int i = 8; i <= 1000; ++i) append(i);
  EXPECT_LE(log.GetCount(), 6u);
  EXPECT_GE(log.GetCount(), 3u);
  EXPECT_EQ(Data(log.GetAt(log.GetCount() - 1)).substr(0, 12), "record 1000.");
  EXPECT_EQ(log.GetDroppedCount() + log.GetCount(), 1000u);
  log.Clear();
  EXPECT_EQ(log.GetDroppedCount(), 0u);
}

}  // namespace

namespace {

// Beyond 16 MiB the log cuts its memory from huge blocks: records stay whole
// and in order across the change, a kept tail moves out of them, and Clear
// gives them back.
TEST(TraceLog, ALongTraceKeepsItsRecordsAcrossTheHugeBlocks) {
  auto data = [](std::size_t i) {
    std::string text = "record " + std::to_string(i) + " ";
    text.resize(40, char('a' + i % 26));
    return text;
  };
  CTVRTraceLog log;
  auto append = [&](std::size_t i) {
    const std::string text = data(i);
    log.Append(int(i % 60), reinterpret_cast<const BYTE*>(text.data()), DWORD(text.size()));
  };
  const std::size_t count = 1000000;  // 50 MB of records and index
  for (std::size_t i = 0; i < count; ++i) append(i);
  ASSERT_EQ(log.GetCount(), count);
  for (std::size_t i = 0; i < count; i += 4999) {
    ASSERT_EQ(Data(log.GetAt(i)), data(i));
    ASSERT_EQ(log.GetAt(i).m_nKind, int(i % 60));
  }
  EXPECT_EQ(Data(log.GetAt(count - 1)), data(count - 1));
  EXPECT_LE(log.GetMemoryUsed(), count * (40 + 16));
  log.Clear();
  EXPECT_LT(log.GetMemoryUsed(), 1024u);

  log.SetKeepLimit(300000);  // 600,000 records reach the huge blocks before the first drop
  for (std::size_t i = 0; i < 700000; ++i) append(i);
  EXPECT_EQ(log.GetDroppedCount() + log.GetCount(), 700000u);
  EXPECT_EQ(Data(log.GetAt(0)), data(log.GetDroppedCount()));
  EXPECT_EQ(Data(log.GetAt(log.GetCount() - 1)), data(699999));
}

}  // namespace

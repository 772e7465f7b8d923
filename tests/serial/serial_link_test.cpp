// The serial board's line on its own, against the near end of a
// pseudo-terminal held by the test: the delays before a frame, answers cut
// and posted, a statement ended by the silence after its answer, the device
// gone posted once.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include <tavric/hex_text.h>
#include <tavric/message_window.h>
#include <tavric/messages.h>

#include "platform/dispatcher.h"
#include "pty_reader_process.h"
#include "serial_link.h"
#include "verta_frame.h"

namespace {

using Clock = std::chrono::steady_clock;

// What the link posts, in order: "answer 60 00 ...", "timed answer 60 00 ..."
// (its round-trip time in m_Times), "comment ...", "error", "gone", "end".
class CRecorder : public CTVRMessageWindow {
 public:
  CRecorder() {
    for (const bool timed : {false, true}) {
      SetHandler(timed ? WM_RECV_TIMED_ANSWER : WM_RECV_ANSWER, [this, timed](tvr::WPARAM w, tvr::LPARAM l) {
        const auto* bytes = reinterpret_cast<const tvr::BYTE*>(w);
        if (timed) {
          std::int64_t ns = 0;
          std::memcpy(&ns, bytes + l + 1, sizeof ns);
          m_Times.push_back(std::chrono::nanoseconds(ns));
        }
        m_Events.push_back((timed ? "timed answer " : "answer ") + CTVRHexText::BytesText(bytes, std::size_t(l), " "));
        return 1;
      });
    }
    SetHandler(WM_RECV_COMMENTS, [this](tvr::WPARAM w, tvr::LPARAM) {
      m_Events.push_back(std::string("comment ") + reinterpret_cast<const char*>(w));
      return 1;
    });
    for (const auto& [message, name] : {std::pair<tvr::UINT, const char*>{WM_RECV_ERROR, "error"},
                                        {WM_RECV_BOARD_DISCONNECTED, "gone"},
                                        {WM_END_COMMAND, "end"}})
      SetHandler(message, [this, event = name](tvr::WPARAM, tvr::LPARAM) {
        m_Events.push_back(event);
        return 1;
      });
  }
  std::vector<std::string> m_Events;
  std::vector<std::chrono::nanoseconds> m_Times;
};

class SerialLinkTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string why = CTVRPtyReaderProcess::WhyNoPty();
    if (!why.empty()) GTEST_SKIP() << "no pseudo-terminal: " << why;
    m_nMaster = ::posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(m_nMaster, 0);
    ASSERT_EQ(::grantpt(m_nMaster), 0);
    ASSERT_EQ(::unlockpt(m_nMaster), 0);
    m_Line.m_strPort = ::ptsname(m_nMaster);
    m_Line.m_lSpeed = 115200;
    m_Line.m_uByteTimeoutMs = 50;
    std::string error;
    ASSERT_TRUE(m_Link.Open(m_Line, &CTVRVertaFrame::GetGeometry(), m_Recorder.GetSafeHwnd(), error)) << error;
  }
  void TearDown() override {
    m_Link.Close();
    if (m_nMaster >= 0) ::close(m_nMaster);
  }

  // The bytes the link wrote, waiting up to 3 s for `count` of them.
  std::vector<tvr::BYTE> ReadFromLink(std::size_t count) {
    std::vector<tvr::BYTE> bytes;
    const auto end = Clock::now() + std::chrono::seconds(3);
    while (bytes.size() < count && Clock::now() < end) {
      pollfd p{m_nMaster, POLLIN, 0};
      if (::poll(&p, 1, 50) <= 0 || !(p.revents & POLLIN)) continue;
      tvr::BYTE buffer[256];
      const ssize_t n = ::read(m_nMaster, buffer, sizeof buffer);
      if (n > 0) bytes.insert(bytes.end(), buffer, buffer + n);
    }
    return bytes;
  }
  void WriteToLink(const std::vector<tvr::BYTE>& bytes) {
    ASSERT_EQ(::write(m_nMaster, bytes.data(), bytes.size()), ssize_t(bytes.size()));
  }
  // Runs the message loop until `count` events were posted, or 3 s.
  const std::vector<std::string>& WaitForEvents(std::size_t count) {
    CTVRDispatcher::GetInstalled()->RunUntil([&] { return m_Recorder.m_Events.size() >= count; },
                                             std::chrono::milliseconds(3000));
    return m_Recorder.m_Events;
  }

  // Runs the message loop until more than `count` events were posted (true),
  // or for 150 ms (false): a wait for an event that must not come.
  bool MoreEventsThan(std::size_t count) {
    return CTVRDispatcher::GetInstalled()->RunUntil([&] { return m_Recorder.m_Events.size() > count; },
                                                    std::chrono::milliseconds(150));
  }

  int m_nMaster = -1;
  CTVRSerialSettings::CLine m_Line;
  CRecorder m_Recorder;
  CTVRSerialLink m_Link;
};

TEST_F(SerialLinkTest, TheCommandAndDsrTxDelaysComeBeforeTheFrame) {
  const auto start = Clock::now();
  CTVRSerialLink::CFrame frame;
  frame.m_Bytes = {0x40, 0x00, 0x01, 0x30, 0x71};
  frame.m_uCommandDelayMs = 120;
  frame.m_uDsrTxDelayMs = 80;
  m_Link.Write(frame);
  EXPECT_EQ(ReadFromLink(5), frame.m_Bytes);
  EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(200));
}

TEST_F(SerialLinkTest, TheStatementEndsOnceWhenTheLineFallsSilentAfterTheAnswer) {
  CTVRSerialLink::CFrame frame;
  frame.m_Bytes = {0x40, 0x00, 0x01, 0x30, 0x71};
  frame.m_bEndStatement = true;
  const auto start = Clock::now();
  m_Link.Write(frame);
  ASSERT_EQ(ReadFromLink(5).size(), 5u);
  WriteToLink({0x60, 0x00, 0x01, 0x12});
  WriteToLink({0x73});
  EXPECT_EQ(WaitForEvents(2), (std::vector<std::string>{"timed answer 60 00 01 12 73", "end"}));
  // The answer to a frame is timed from its first byte out to its last byte
  // in: within the exchange as this side saw it.
  ASSERT_EQ(m_Recorder.m_Times.size(), 1u);
  EXPECT_GT(m_Recorder.m_Times[0].count(), 0);
  EXPECT_LE(m_Recorder.m_Times[0], Clock::now() - start);
  // Nothing more: the end was posted once (a second would come within 150 ms).
  EXPECT_FALSE(MoreEventsThan(2));
}

TEST_F(SerialLinkTest, TheFarEndGoneIsOneDisconnectionAfterWhatWasCutBeforeIt) {
  // A silence longer than the test: only the device going ends the partial frame.
  m_Link.Close();
  m_Line.m_uByteTimeoutMs = 60000;
  std::string error;
  ASSERT_TRUE(m_Link.Open(m_Line, &CTVRVertaFrame::GetGeometry(), m_Recorder.GetSafeHwnd(), error)) << error;
  const int near = ::open(m_Line.m_strPort.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
  ASSERT_GE(near, 0);
  // A whole frame and the start of the next in one write: once the first is
  // posted, the line's input queue empties only into the link.
  WriteToLink({0x60, 0x00, 0x01, 0x12, 0x73, 0x60, 0x00, 0x05, 0x12});
  EXPECT_EQ(WaitForEvents(1), std::vector<std::string>{"answer 60 00 01 12 73"});
  EXPECT_TRUE(CTVRDispatcher::GetInstalled()->RunUntil(
      [&] {
        int queued = -1;
        return ::ioctl(near, FIONREAD, &queued) == 0 && queued == 0;
      },
      std::chrono::seconds(10)));
  ::close(m_nMaster);
  m_nMaster = -1;
  const std::vector<std::string> expected = {
      "answer 60 00 01 12 73",
      "comment Serial: a truncated Verta frame was dropped (the line fell silent after 4 bytes): 60 00 05 12\r\n",
      "error", "comment Serial: " + m_Line.m_strPort + ": reading the line failed\r\n", "gone"};
  EXPECT_EQ(WaitForEvents(5), expected);
  ::close(near);
  EXPECT_TRUE(m_Link.IsGone());
  CTVRSerialLink::CFrame frame;
  frame.m_Bytes = {0x40, 0x00, 0x01, 0x30, 0x71};
  m_Link.Write(frame);
  EXPECT_FALSE(MoreEventsThan(5));
}

}  // namespace

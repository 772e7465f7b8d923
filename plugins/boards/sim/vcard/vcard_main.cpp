// tavric-vcard: the simulated reader's ISO 7816-4 card behind the virtual
// reader driver of pcsc-lite (vpcd), so that tests and benchmarks drive a
// real PC/SC stack without hardware.
//
//   tavric-vcard [--host ADDR] [--port N] [--atr t0|t1|inverse|HEX]
//                [--latency MS] [--remove-after N] [--reinsert-after MS]
//                [--wait SECONDS] [--stamps] [--get-response N] [--extended]
//                [--mute-after N] [--rules FILE]
//
// The card connects to the driver (it listens, the card calls), answers until
// the driver closes, then calls again for --wait seconds before giving up.
// --remove-after N pulls the card out after its N-th answer (the connection
// closed); with --reinsert-after it comes back that many milliseconds later.
// --stamps prints "apdu MICROSECONDS" on the monotonic clock as each APDU
// arrives, so that a benchmark can time a client from the card's side.
// --get-response N answers as T=0 cards do: 61xx first, then at most N bytes
// to each GET RESPONSE; --extended answers extended APDUs (vpcd_session.h).
// --mute-after N: after its N-th answer to an APDU the card stays in the
// reader and answers nothing more, not even the driver's request for its
// answer to reset: a reader that hangs, for the board's time limits.
// --rules FILE chooses faults per APDU (vcard_rules.h, docs/boards/sim.md).
#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <CLI/CLI.hpp>

#include <tavric/hex_text.h>

#include "sim_card.h"
#include "vcard_rules.h"
#include "vpcd_session.h"

#include "tavric_version.h"

namespace {

struct COptions {
  std::string m_strHost = "127.0.0.1";
  int m_nPort = 35963;
  std::string m_strAtr = "t0";
  unsigned m_uLatencyMs = 0;
  std::size_t m_nRemoveAfter = 0;
  long m_lReinsertAfterMs = -1;
  double m_dWaitSeconds = 10;
  bool m_bStamps = false;
  std::size_t m_nChunk = 0;
  bool m_bExtended = false;
  long m_lMuteAfter = -1;  // -1: never mute
  std::string m_strRules;
};

// A rule file is a few lines; anything this large is not one.
constexpr std::streamsize kMaxRulesBytes = 1 << 20;

volatile std::sig_atomic_t g_bStop = 0;

void OnSignal(int) {
  g_bStop = 1;
}

bool ParseAtr(const std::string& text, std::vector<tvr::BYTE>& atr) {
  if (text == "t0") return atr = CTVRSimCard::GetT0Atr(), true;
  if (text == "t1") return atr = CTVRSimCard::GetT1Atr(), true;
  if (text == "inverse") return atr = CTVRSimCard::GetInverseAtr(), true;
  std::string digits;
  for (char c : text)
    if (c != ' ' && c != ':') digits += c;
  if (digits.empty() || digits.size() % 2 != 0 || digits.size() > 66) return false;
  return CTVRHexText::ReadBytes(digits, atr);
}

// Without these every exchange waits for the peer's delayed acknowledgement
// (about 40 ms): the driver writes a command and blocks on its answer.
void TuneSocket(int fd) {
  const int one = 1;
  ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  ::setsockopt(fd, IPPROTO_TCP, TCP_QUICKACK, &one, sizeof one);
}

int ConnectOnce(const COptions& o) {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return -1;
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(std::uint16_t(o.m_nPort));
  if (::inet_pton(AF_INET, o.m_strHost.c_str(), &address.sin_addr) != 1 ||
      ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    ::close(fd);
    return -1;
  }
  TuneSocket(fd);
  return fd;
}

int ConnectWithin(const COptions& o, double seconds) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  while (!g_bStop) {
    const int fd = ConnectOnce(o);
    if (fd >= 0) return fd;
    if (std::chrono::steady_clock::now() >= deadline) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return -1;
}

bool WriteAll(int fd, const std::vector<tvr::BYTE>& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::send(fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += std::size_t(n);
  }
  return true;
}

// The rule file's text, or false with the reason on stderr.
bool ReadRules(const std::string& path, CTVRVcardRules& rules) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream text;
  if (file) {
    std::vector<char> buffer(std::size_t(kMaxRulesBytes) + 1);
    file.read(buffer.data(), kMaxRulesBytes + 1);
    if (file.gcount() > kMaxRulesBytes) {
      std::fprintf(stderr, "tavric-vcard: %s: larger than 1 MB: not a rule file\n", path.c_str());
      return false;
    }
    text.write(buffer.data(), file.gcount());
  }
  if (!file && !file.eof()) {
    std::fprintf(stderr, "tavric-vcard: %s: cannot be read\n", path.c_str());
    return false;
  }
  const std::string why = rules.Parse(text.str());
  if (!why.empty()) std::fprintf(stderr, "tavric-vcard: %s: %s\n", path.c_str(), why.c_str());
  return why.empty();
}

enum EEnd { END_DRIVER_CLOSED, END_REMOVED, END_STOPPED };

// One insertion: answers until the driver closes or the card is pulled out
// (reinsertMs: when it comes back, -1 never).
EEnd Serve(int fd, CTVRSimCard& card, const COptions& o, const CTVRVcardRules& rules, std::size_t& answered,
           long& reinsertMs) {
  CTVRVpcdSession session(card);
  session.SetChunk(o.m_nChunk);
  session.SetExtended(o.m_bExtended);
  session.SetRules(&rules);
  reinsertMs = o.m_lReinsertAfterMs;
  std::vector<tvr::BYTE> in(4096), out;
  while (!g_bStop) {
    const ssize_t n = ::recv(fd, in.data(), in.size(), 0);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (session.IsInsideMessage()) std::fprintf(stderr, "tavric-vcard: the driver closed inside a message\n");
      return END_DRIVER_CLOSED;
    }
    const auto arrived = std::chrono::steady_clock::now();
    // Quick acknowledgement is not sticky: the kernel may fall back to
    // delayed mode after any read.
    TuneSocket(fd);
    out.clear();
    const std::size_t apdus = session.Feed(in.data(), std::size_t(n), out);
    // Read and dropped: the driver waits for an answer that never comes.
    if (o.m_lMuteAfter >= 0 && answered >= std::size_t(o.m_lMuteAfter)) continue;
    if (apdus > 0 && o.m_bStamps) {
      const auto us = std::chrono::duration_cast<std::chrono::microseconds>(arrived.time_since_epoch()).count();
      for (std::size_t i = 0; i < apdus; ++i) std::printf("apdu %lld\n", static_cast<long long>(us));
      std::fflush(stdout);
    }
    if (apdus > 0 && o.m_uLatencyMs > 0) std::this_thread::sleep_for(std::chrono::milliseconds(o.m_uLatencyMs));
    const CTVRVpcdSession::CCue cue = session.TakeCue();
    if (cue.m_eKind == CTVRVpcdSession::CCue::CUE_DELAY)
      std::this_thread::sleep_for(std::chrono::milliseconds(cue.m_uMs));
    if (!out.empty() && !WriteAll(fd, out)) return END_DRIVER_CLOSED;
    if (cue.m_eKind == CTVRVpcdSession::CCue::CUE_REMOVE) {
      reinsertMs = cue.m_bBack ? long(cue.m_uMs) : -1;
      return END_REMOVED;
    }
    // A broken link: the card calls again at once.
    if (cue.m_eKind == CTVRVpcdSession::CCue::CUE_DROP) return END_DRIVER_CLOSED;
    answered += apdus;
    if (o.m_nRemoveAfter > 0 && answered >= o.m_nRemoveAfter) return END_REMOVED;
  }
  return END_STOPPED;
}

}  // namespace

// NOLINTNEXTLINE(bugprone-exception-escape): a test helper; an escaping exception aborts it loudly
int main(int argc, char** argv) {
  COptions o;
  CLI::App app("tavric-vcard: the simulated ISO 7816-4 card on the virtual reader driver (vpcd)");
  app.add_option("--host", o.m_strHost, "address of the driver");
  app.add_option("--port", o.m_nPort, "port of the driver's reader")->check(CLI::Range(1, 65535));
  app.add_option("--atr", o.m_strAtr, "t0, t1, inverse or the answer to reset in hexadecimal");
  app.add_option("--latency", o.m_uLatencyMs, "milliseconds before each answer")->check(CLI::Range(0, 60000));
  app.add_option("--remove-after", o.m_nRemoveAfter, "pull the card out after this many answers");
  app.add_option("--reinsert-after", o.m_lReinsertAfterMs, "put it back this many milliseconds later")
      ->check(CLI::Range(0L, 3600000L));
  app.add_option("--wait", o.m_dWaitSeconds, "seconds to keep calling a driver that does not answer")
      ->check(CLI::Range(0.0, 3600.0));
  app.add_flag("--stamps", o.m_bStamps, "print the monotonic time of each APDU's arrival, in microseconds");
  app.add_option("--get-response", o.m_nChunk, "answer with 61xx, then at most this many bytes to each GET RESPONSE")
      ->check(CLI::Range(1, 256));
  app.add_flag("--extended", o.m_bExtended, "answer extended APDUs");
  app.add_option("--mute-after", o.m_lMuteAfter,
                 "answer nothing (not even the answer to reset) after this many APDUs answered")
      ->check(CLI::Range(0L, 1000000L));
  app.add_option("--rules", o.m_strRules, "a rule file that chooses faults per APDU");
  app.set_version_flag("--version", "tavric-vcard " TAVRIC_VERSION_TEXT);
  CLI11_PARSE(app, argc, argv);

  std::vector<tvr::BYTE> atr;
  if (!ParseAtr(o.m_strAtr, atr)) {
    std::fprintf(stderr, "tavric-vcard: --atr: t0, t1, inverse or up to 33 bytes in hexadecimal\n");
    return 1;
  }
  CTVRVcardRules rules;
  if (!o.m_strRules.empty() && !ReadRules(o.m_strRules, rules)) return 1;
  std::signal(SIGTERM, OnSignal);
  std::signal(SIGINT, OnSignal);

  // One card for the whole life of the program: its files outlive a removal.
  CTVRSimCard card(atr);
  std::size_t answered = 0;
  int fd = ConnectWithin(o, o.m_dWaitSeconds);
  if (fd < 0) {
    if (!g_bStop) std::fprintf(stderr, "tavric-vcard: no driver at %s:%d\n", o.m_strHost.c_str(), o.m_nPort);
    return g_bStop ? 0 : 2;
  }
  while (fd >= 0) {
    long reinsertMs = -1;
    const EEnd end = Serve(fd, card, o, rules, answered, reinsertMs);
    ::close(fd);
    if (end == END_STOPPED) break;
    if (end == END_REMOVED) {
      if (reinsertMs < 0) break;
      std::this_thread::sleep_for(std::chrono::milliseconds(reinsertMs));
      // Counted again from the new insertion.
      answered = 0;
      o.m_nRemoveAfter = 0;
    }
    fd = ConnectWithin(o, o.m_dWaitSeconds);
  }
  return 0;
}

// tavric-ptyreader: the simulated reader's firmware at the far end of a
// pseudo-terminal, so that the serial board is tested on a real serial line
// driver without hardware.
//
//   tavric-ptyreader [--protocol NAME] [--link PATH] [--bytes-per-second N]
//                    [--byte-delay MS] [--split MS] [--garble N]
//                    [--close-after N] [--byte-timeout MS]
//
// It prints the path of the line's terminal end (/dev/pts/N) on its first
// line of output (and links PATH to it), answers the frames the host writes
// there, and ends when the host closes the line after using it. Answers go
// out slowly (--bytes-per-second, --byte-delay: one write per byte), in two
// writes (--split: the second half MS milliseconds after the first), behind a
// garbled copy (--garble N: the N-th answer), and the line is closed after
// the N-th answer (--close-after N), as an adapter pulled out would.
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <string>
#include <thread>
#include <vector>

#include <memory>

#include <CLI/CLI.hpp>

#include "ccid_protocol.h"
#include "kiro_protocol.h"
#include "lpb_protocol.h"
#include "pcsc_protocol.h"
#include "pty_reader.h"
#include "verta_protocol.h"

#include "tavric_version.h"

namespace {

struct COptions {
  std::string m_strProtocol = "Verta";
  std::string m_strLink;
  unsigned m_uBytesPerSecond = 0;
  unsigned m_uByteDelayMs = 0;
  unsigned m_uSplitMs = 0;
  std::size_t m_nGarble = 0;
  std::size_t m_nCloseAfter = 0;
  unsigned m_uByteTimeoutMs = 20;
};

volatile std::sig_atomic_t g_bStop = 0;

void OnSignal(int) {
  g_bStop = 1;
}

bool WriteAll(int fd, const tvr::BYTE* bytes, std::size_t count) {
  std::size_t done = 0;
  while (done < count) {
    const ssize_t n = ::write(fd, bytes + done, count - done);
    if (n < 0 && (errno == EINTR || errno == EAGAIN)) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
      continue;
    }
    if (n <= 0) return false;
    done += std::size_t(n);
  }
  return true;
}

void Pause(std::chrono::microseconds time) {
  if (time.count() > 0) std::this_thread::sleep_for(time);
}

// One answer, paced as the options say.
bool WriteAnswer(int fd, const std::vector<tvr::BYTE>& frame, const COptions& o) {
  std::chrono::microseconds perByte(0);
  if (o.m_uBytesPerSecond) perByte = std::chrono::microseconds(1000000 / o.m_uBytesPerSecond);
  if (o.m_uByteDelayMs) perByte = std::chrono::milliseconds(o.m_uByteDelayMs);
  if (perByte.count() > 0) {
    for (tvr::BYTE byte : frame) {
      if (!WriteAll(fd, &byte, 1)) return false;
      Pause(perByte);
    }
    return true;
  }
  if (o.m_uSplitMs && frame.size() > 1) {
    const std::size_t half = frame.size() / 2;
    if (!WriteAll(fd, frame.data(), half)) return false;
    // The host has read the first half before the second is written.
    ::tcdrain(fd);
    Pause(std::chrono::milliseconds(o.m_uSplitMs));
    return WriteAll(fd, frame.data() + half, frame.size() - half);
  }
  return WriteAll(fd, frame.data(), frame.size());
}

// The shipped protocol of this name, made only when its turn comes; a
// protocol that declares nothing (the Verta link, frames ended by silences)
// for a name none of them has.
std::unique_ptr<CTVRProtocol> MakeProtocol(const std::string& name) {
  using Maker = std::unique_ptr<CTVRProtocol> (*)();
  const Maker makers[] = {
      [] { return std::unique_ptr<CTVRProtocol>(new CTVRVertaProtocol); },
      [] { return std::unique_ptr<CTVRProtocol>(new CTVRPcscProtocol); },
      [] { return std::unique_ptr<CTVRProtocol>(new CTVRCcidProtocol); },
      [] { return std::unique_ptr<CTVRProtocol>(new CTVRKiroProtocol); },
      [] { return std::unique_ptr<CTVRProtocol>(new CTVRLpbProtocol); },
  };
  for (Maker make : makers) {
    std::unique_ptr<CTVRProtocol> protocol = make();
    if (protocol->GetName() == name) return protocol;
  }
  return std::make_unique<CTVRProtocol>();
}

int OpenLine(std::string& path) {
  const int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0) return -1;
  const char* name = ::ptsname(master);
  if (!name) return -1;
  path = name;
  // Raw from the start: no echo, no line editing, no CR LF translation,
  // whatever the host does (or does not do) to the line when it opens it.
  const int slave = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (slave >= 0) {
    termios t{};
    if (::tcgetattr(slave, &t) == 0) {
      ::cfmakeraw(&t);
      ::tcsetattr(slave, TCSANOW, &t);
    }
    ::close(slave);
  }
  return master;
}

}  // namespace

namespace {

int Run(int argc, char** argv) {
  COptions o;
  CLI::App app("tavric-ptyreader: the simulated reader's firmware at the far end of a pseudo-terminal");
  app.add_option("--protocol", o.m_strProtocol, "the host link spoken: Verta, PC/SC, CCID, Kiro or Loopback");
  app.add_option("--link", o.m_strLink, "also make PATH a symbolic link to the line's terminal end");
  app.add_option("--bytes-per-second", o.m_uBytesPerSecond, "a slow link: answers written a byte at a time")
      ->check(CLI::Range(1u, 1000000u));
  app.add_option("--byte-delay", o.m_uByteDelayMs, "a slow link: milliseconds after every byte written")
      ->check(CLI::Range(0u, 10000u));
  app.add_option("--split", o.m_uSplitMs, "write each answer in two halves, the second this many ms later")
      ->check(CLI::Range(0u, 10000u));
  app.add_option("--garble", o.m_nGarble, "send a garbled copy (last byte flipped) before the N-th answer");
  app.add_option("--close-after", o.m_nCloseAfter, "close the line after the N-th answer");
  app.add_option("--byte-timeout", o.m_uByteTimeoutMs, "silence in ms that ends an unfinished frame of the host")
      ->check(CLI::Range(1u, 10000u));
  app.set_version_flag("--version", "tavric-ptyreader " TAVRIC_VERSION_TEXT);
  CLI11_PARSE(app, argc, argv);

  std::string path;
  const int master = OpenLine(path);
  if (master < 0) {
    std::fprintf(stderr, "tavric-ptyreader: no pseudo-terminal: %s\n", std::strerror(errno));
    return 2;
  }
  if (!o.m_strLink.empty()) {
    ::unlink(o.m_strLink.c_str());
    if (::symlink(path.c_str(), o.m_strLink.c_str()) != 0) {
      std::fprintf(stderr, "tavric-ptyreader: cannot link %s: %s\n", o.m_strLink.c_str(), std::strerror(errno));
      return 2;
    }
  }
  std::printf("%s\n", path.c_str());
  std::fflush(stdout);
  std::signal(SIGTERM, OnSignal);
  std::signal(SIGINT, OnSignal);

  const std::unique_ptr<CTVRProtocol> protocol = MakeProtocol(o.m_strProtocol);
  CTVRPtyReader reader(protocol->GetDescriptor(), o.m_nGarble);
  bool hostSeen = false;
  std::vector<tvr::BYTE> in(4096);
  int status = 0;
  while (!g_bStop) {
    pollfd p{master, POLLIN, 0};
    const int ready = ::poll(&p, 1, reader.IsPending() ? int(o.m_uByteTimeoutMs) : 200);
    if (ready < 0 && errno == EINTR) continue;
    std::vector<CTVRPtyReader::Frame> answers;
    if (ready == 0) {
      hostSeen = true;
      if (reader.IsPending()) answers = reader.Flush();
    } else if (p.revents & POLLIN) {
      hostSeen = true;
      const ssize_t n = ::read(master, in.data(), in.size());
      if (n > 0) answers = reader.Feed(in.data(), std::size_t(n));
    } else if (p.revents & (POLLHUP | POLLERR)) {
      // No one has the terminal end open: the host is not there yet, or has gone.
      if (hostSeen) break;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
      continue;
    }
    for (const CTVRPtyReader::Frame& answer : answers) {
      if (!WriteAnswer(master, answer, o)) {
        status = 3;
        break;
      }
    }
    if (o.m_nCloseAfter && reader.GetAnswerCount() >= o.m_nCloseAfter) {
      // Time for the host to read the last answer before the line goes.
      ::tcdrain(master);
      std::this_thread::sleep_for(std::chrono::milliseconds(200));
      break;
    }
  }
  ::close(master);
  if (!o.m_strLink.empty()) ::unlink(o.m_strLink.c_str());
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    return Run(argc, argv);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "tavric-ptyreader: %s\n", e.what());
    return 2;
  }
}

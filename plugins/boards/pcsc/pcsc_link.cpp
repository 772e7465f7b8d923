#include "pcsc_link.h"

#include <algorithm>
#include <chrono>
#include <cstdio>

#include <tavric/hex_text.h>
#include <tavric/messages.h>
#include <tavric/trace_record.h>

#include "pcsc_chain.h"
#include "pcsc_frame.h"
#include "pcsc_replies.h"

namespace {

// Results that mean the reader or the daemon has gone, not the card.
bool IsGone(LONG rv) {
  return rv == SCARD_E_NO_SERVICE || rv == SCARD_E_SERVICE_STOPPED || rv == SCARD_E_READER_UNAVAILABLE ||
         rv == SCARD_E_UNKNOWN_READER || rv == SCARD_F_COMM_ERROR || rv == SCARD_E_NO_READERS_AVAILABLE;
}

constexpr DWORD kWatchTimeoutMs = 1000;
// How often Close cancels the watcher's wait again until the watcher ends.
constexpr auto kCancelAgain = std::chrono::milliseconds(1);
// The UI thread decodes an answer and hands over the next APDU within some
// ten microseconds; a worker asleep by then costs a wake-up on each exchange
// (measured with bench/pcsc_throughput). Longer gaps (a delay, the end of the
// run, a busy machine) fall back to sleeping.
constexpr auto kAwakeWait = std::chrono::microseconds(150);

// A yield, not a pause: on a busy machine the UI thread that is to hand over
// the next APDU may be waiting for this very core, and a worker spinning on
// it held the run back by up to kAwakeWait on many exchanges.
void Relax() {
  std::this_thread::yield();
}

const SCARD_IO_REQUEST* SendPci(DWORD protocol) {
  return protocol == SCARD_PROTOCOL_T1 ? SCARD_PCI_T1 : SCARD_PCI_T0;
}

// The longest short APDU: header, Lc, 255 data bytes, Le.
constexpr std::size_t kMaxShortApdu = 261;

// An APDU with extended lengths: a zero where a short one has Lc or Le, or
// longer than any short one.
bool IsExtended(const std::vector<tvr::BYTE>& apdu) {
  return apdu.size() > kMaxShortApdu || (apdu.size() >= 7 && apdu[4] == 0);
}

// The trace's dump of bytes: rows of 16 under the 12-character indent, each
// byte followed by a space; at most kRowsPerRecord rows to one comment record,
// which holds under 4,096 characters.
constexpr std::size_t kRow = 16;
constexpr std::size_t kRowsPerRecord = 60;
std::vector<std::string> DumpRecords(const tvr::BYTE* bytes, std::size_t count) {
  std::vector<std::string> records;
  std::string text;
  std::size_t rows = 0;
  for (std::size_t i = 0; i < count; i += kRow) {
    if (rows == kRowsPerRecord) {
      records.push_back(std::move(text));
      text.clear();
      rows = 0;
    }
    if (rows++ > 0) text += "\r\n";
    text += "            ";
    for (std::size_t j = i; j < count && j < i + kRow; ++j) {
      CTVRHexText::AppendByte(text, bytes[j]);
      text += ' ';
    }
  }
  records.push_back(std::move(text));
  return records;
}

std::string HexByte(tvr::BYTE value) {
  std::string text;
  CTVRHexText::AppendByte(text, value);
  return text;
}

const char* ProtocolName(DWORD protocol) {
  switch (protocol) {
    case SCARD_PROTOCOL_T0:
      return "T=0";
    case SCARD_PROTOCOL_T1:
      return "T=1";
    case SCARD_PROTOCOL_RAW:
      return "raw";
    default:
      return "none";
  }
}

}  // namespace

namespace {

std::vector<std::string> List(SCARDCONTEXT context, std::string& error) {
  std::vector<std::string> readers;
  DWORD length = 0;
  LONG rv = SCardListReaders(context, nullptr, nullptr, &length);
  // pcsc-lite answers so for a daemon that has no reader: an empty list, not
  // a failure to read it.
  if (rv == SCARD_E_NO_READERS_AVAILABLE) return readers;
  std::vector<char> names(length ? length : 1);
  if (rv == SCARD_S_SUCCESS) rv = SCardListReaders(context, nullptr, names.data(), &length);
  if (rv == SCARD_S_SUCCESS) {
    readers = CTVRPcscReplies::ReaderNames(names.data(), length);
  } else {
    error = pcsc_stringify_error(rv);
  }
  return readers;
}

}  // namespace

std::vector<std::string> CTVRPcscLink::ListReaders(std::string& error) {
  SCARDCONTEXT context = 0;
  const LONG rv = SCardEstablishContext(SCARD_SCOPE_SYSTEM, nullptr, nullptr, &context);
  if (rv != SCARD_S_SUCCESS) {
    error = pcsc_stringify_error(rv);
    return {};
  }
  std::vector<std::string> readers = List(context, error);
  SCardReleaseContext(context);
  return readers;
}

std::vector<std::string> CTVRPcscLink::ListReadersToOpen(std::string& error) {
  Close();
  const LONG rv = SCardEstablishContext(SCARD_SCOPE_SYSTEM, nullptr, nullptr, &m_hContext);
  if (rv != SCARD_S_SUCCESS) {
    m_hContext = 0;
    error = pcsc_stringify_error(rv);
    return {};
  }
  return List(m_hContext, error);
}

bool CTVRPcscLink::Open(const std::string& reader, const CAccess& access, std::chrono::milliseconds limit,
                        tvr::HWND hWnd, std::string& error) {
  // Each context is a connection of its own to the daemon: the one the
  // readers were listed on is kept for the exchanges, and the watcher makes
  // its own on its thread, so the first APDU waits for neither.
  const SCARDCONTEXT listed = m_hContext;
  m_hContext = 0;
  Close();
  m_hContext = listed;
  m_hWnd = hWnd;
  m_strReader = reader;
  m_Access = access;
  m_Limit = limit;
  m_Response.resize(RESPONSE_CAPACITY);
  m_bGone = false;
  m_bStop = false;
  m_bClosed = false;
  m_bStuck = false;
  m_bOpenDone = m_bWorkerEnded = m_bWatcherEnded = false;
  LONG rv = SCARD_S_SUCCESS;
  if (!m_hContext) rv = SCardEstablishContext(SCARD_SCOPE_SYSTEM, nullptr, nullptr, &m_hContext);
  if (rv != SCARD_S_SUCCESS) {
    m_hContext = 0;
    error = pcsc_stringify_error(rv);
    Close();
    return false;
  }
  // Connected on the worker, which the limit may leave behind: a sick reader
  // can keep SCardConnect for minutes.
  m_bWorkerStarted = true;
  m_Worker = std::thread([self = shared_from_this()] { self->WorkerMain(); });
  {
    std::unique_lock<std::mutex> lock(m_mutex);
    if (!m_workerNews.wait_for(lock, m_Limit, [this] { return m_bOpenDone; })) {
      m_bStuck = true;
      lock.unlock();
      error = NoAnswerText(m_Limit);
      Close();
      return false;
    }
    rv = m_lOpenResult;
  }
  if (rv != SCARD_S_SUCCESS && rv != SCARD_E_NO_SMARTCARD && rv != SCARD_W_REMOVED_CARD) {
    error = pcsc_stringify_error(rv);
    Close();
    return false;
  }
  m_bOpen = true;
  m_Guard = std::thread([this] { GuardMain(); });
  m_Watcher = std::thread([this, present = rv == SCARD_S_SUCCESS] { WatcherMain(present); });
  return true;
}

std::string CTVRPcscLink::NoAnswerText(std::chrono::milliseconds limit) {
  return "the reader did not answer within " + std::to_string(limit.count()) + " ms";
}

void CTVRPcscLink::Close() {
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_bStop = true;
    m_bClosed.store(true, std::memory_order_release);
    m_Jobs.clear();
    m_bJobsWaiting.store(false, std::memory_order_release);
  }
  m_wake.notify_all();
  m_guardWake.notify_all();
  // A watcher still making its context sees m_bStop once it has one. pcsc-lite
  // keeps no cancel for a context that is not waiting: one that comes just
  // before the watcher's next wait is lost, which left the link a wait's
  // timeout (a second) to close after a short run. It is sent again until the
  // watcher has ended.
  if (m_Watcher.joinable()) {
    std::unique_lock<std::mutex> lock(m_mutex);
    for (bool first = true; !m_bWatcherEnded; first = false) {
      if (!first) m_workerNews.wait_for(lock, kCancelAgain, [this] { return m_bWatcherEnded; });
      const SCARDCONTEXT watch = m_hWatch;
      if (m_bWatcherEnded || !watch) continue;
      lock.unlock();
      SCardCancel(watch);
      lock.lock();
    }
  }
  if (m_Watcher.joinable()) m_Watcher.join();
  if (m_Guard.joinable()) m_Guard.join();
  if (m_Worker.joinable()) {
    // A call under way has what is left of its limit to return; one that
    // does not keeps the worker, which lets the handles go when it returns.
    const std::int64_t start = m_nCallStart.load();
    const auto until = (start != 0 ? std::chrono::steady_clock::time_point(std::chrono::nanoseconds(start))
                                   : std::chrono::steady_clock::now()) +
                       m_Limit;
    bool ended = false;
    {
      std::unique_lock<std::mutex> lock(m_mutex);
      ended = !m_bStuck && m_workerNews.wait_until(lock, until, [this] { return m_bWorkerEnded; });
    }
    if (ended)
      m_Worker.join();
    else
      m_Worker.detach();
  } else if (!m_bWorkerStarted && m_hContext) {
    // Listed on, never handed to a worker (whose it is once it runs).
    SCardReleaseContext(m_hContext);
    m_hContext = 0;
  }
  if (m_hWatch) SCardReleaseContext(m_hWatch);
  m_hWatch = 0;
  m_bOpen = false;
}

template <class F>
LONG CTVRPcscLink::Guarded(F call) {
  // Never 0, which means no call.
  m_nCallStart.store(std::chrono::steady_clock::now().time_since_epoch().count() | 1);
  m_nCalls.fetch_add(1);
  if (m_bGuardIdle.load()) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_guardWake.notify_one();
  }
  const LONG rv = call();
  m_nCallStart.store(0);
  return rv;
}

void CTVRPcscLink::GuardMain() {
  std::unique_lock<std::mutex> lock(m_mutex);
  std::uint64_t seen = m_nCalls.load();
  while (!m_bStop) {
    if (m_nCalls.load() == seen && m_nCallStart.load() == 0) {
      // No call since the last look: asleep until the worker's next one.
      m_bGuardIdle.store(true);
      m_guardWake.wait(lock, [&] { return m_bStop || m_nCalls.load() != seen; });
      m_bGuardIdle.store(false);
      if (m_bStop) break;
    }
    // Then awake for a limit at a time while the worker goes on calling.
    seen = m_nCalls.load();
    const std::int64_t start = m_nCallStart.load();
    const auto begun = start != 0 ? std::chrono::steady_clock::time_point(std::chrono::nanoseconds(start))
                                  : std::chrono::steady_clock::now();
    if (m_guardWake.wait_until(lock, begun + m_Limit, [this] { return m_bStop; })) break;
    if (start == 0 || m_nCallStart.load() != start) continue;
    // The same call, past its limit.
    m_bStuck = true;
    lock.unlock();
    PostGone(NoAnswerText(m_Limit));
    return;
  }
}

bool CTVRPcscLink::ConnectCard(LONG& rv) {
  rv = Guarded([this] {
    return SCardConnect(m_hContext, m_strReader.c_str(), m_Access.m_dwShare, m_Access.m_dwProtocols, &m_hCard,
                        &m_dwProtocol);
  });
  if (rv != SCARD_S_SUCCESS) m_hCard = 0;
  return rv == SCARD_S_SUCCESS;
}

void CTVRPcscLink::DropCard(DWORD disposition) {
  if (m_hCard) SCardDisconnect(m_hCard, disposition);
  m_hCard = 0;
}

void CTVRPcscLink::Push(CJob job) {
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_bStop) return;
    m_Jobs.push_back(std::move(job));
    m_bJobsWaiting.store(true, std::memory_order_release);
  }
  m_wake.notify_one();
}

void CTVRPcscLink::AwaitNextJob() const {
  const auto until = std::chrono::steady_clock::now() + kAwakeWait;
  while (!m_bJobsWaiting.load(std::memory_order_acquire) && std::chrono::steady_clock::now() < until) Relax();
}

void CTVRPcscLink::Transmit(const tvr::BYTE* apdu, tvr::DWORD length, unsigned delayMs, bool bChain) {
  CJob job{JOB_APDU, std::vector<tvr::BYTE>(apdu, apdu + (apdu ? length : 0))};
  job.m_uDelayMs = delayMs;
  job.m_bChain = bChain;
  Push(std::move(job));
}

void CTVRPcscLink::Control(tvr::DWORD code, const tvr::BYTE* data, tvr::DWORD length, bool bEndStatement) {
  CJob job{JOB_CONTROL, std::vector<tvr::BYTE>(data, data + (data ? length : 0))};
  job.m_dwCode = code;
  job.m_bEndStatement = bEndStatement;
  Push(std::move(job));
}

void CTVRPcscLink::ClearQueue() {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_Jobs.clear();
  m_bJobsWaiting.store(false, std::memory_order_release);
}

void CTVRPcscLink::OpenCard() {
  LONG rv = SCARD_S_SUCCESS;
  if (ConnectCard(rv))
    PostAtr();
  else if (rv == SCARD_E_NO_SMARTCARD || rv == SCARD_W_REMOVED_CARD)
    PostComment("PC/SC: no card in " + m_strReader + "\r\n");
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_lOpenResult = rv;
    m_bOpenDone = true;
  }
  m_workerNews.notify_all();
}

void CTVRPcscLink::WorkerMain() {
  OpenCard();
  for (;;) {
    CJob job;
    {
      std::unique_lock<std::mutex> lock(m_mutex);
      m_wake.wait(lock, [this] { return m_bStop || !m_Jobs.empty(); });
      if (m_bStop) break;
      job = std::move(m_Jobs.front());
      m_Jobs.pop_front();
      m_bJobsWaiting.store(!m_Jobs.empty(), std::memory_order_release);
    }
    if (job.m_uDelayMs) {
      // Waited out unless the link closes meanwhile.
      std::unique_lock<std::mutex> lock(m_mutex);
      if (m_wake.wait_for(lock, std::chrono::milliseconds(job.m_uDelayMs), [this] { return m_bStop; })) break;
    }
    Run(job);
    AwaitNextJob();
  }
  // The handles are the worker's: a worker left to a call past its limit
  // lets them go here, when the call has returned.
  DropCard(SCARD_LEAVE_CARD);
  if (m_hContext) SCardReleaseContext(m_hContext);
  m_hContext = 0;
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_bWorkerEnded = true;
  }
  m_workerNews.notify_all();
}

void CTVRPcscLink::Run(const CJob& job) {
  switch (job.m_eKind) {
    case JOB_APDU:
      Apdu(job);
      break;
    case JOB_CONTROL: {
      LONG rv = SCARD_S_SUCCESS;
      if (!m_hCard && !ConnectCard(rv)) {
        // SCardControl needs a handle; a reader without a card takes a direct one.
        rv = Guarded([this] {
          return SCardConnect(m_hContext, m_strReader.c_str(), SCARD_SHARE_DIRECT, 0, &m_hCard, &m_dwProtocol);
        });
        if (rv != SCARD_S_SUCCESS) m_hCard = 0;
      }
      DWORD length = 0;
      if (rv == SCARD_S_SUCCESS)
        rv = Guarded([&] {
          return SCardControl(m_hCard, job.m_dwCode, job.m_Bytes.data(), DWORD(job.m_Bytes.size()), m_Response.data(),
                              DWORD(m_Response.size()), &length);
        });
      if (rv == SCARD_S_SUCCESS)
        PostAnswer(CTVRPcscReplies::CardAnswer(PCSC_KIND_CARD_RESULT, m_Response.data(), m_Response.size(), length));
      else
        EscapeRefused(rv, job.m_dwCode);
      if (job.m_bEndStatement && IsLive()) PostMessage(m_hWnd, WM_END_COMMAND, 0, 0);
      break;
    }
    case JOB_CARD_INSERTED: {
      LONG rv = SCARD_S_SUCCESS;
      DropCard(SCARD_LEAVE_CARD);
      if (ConnectCard(rv))
        PostAtr();
      else if (!CheckGone(rv))
        PostComment("PC/SC: a card was inserted in " + m_strReader + " but " + pcsc_stringify_error(rv) + "\r\n");
      break;
    }
    case JOB_CARD_REMOVED:
      // Said by the watcher already; the handle is the worker's to drop.
      DropCard(SCARD_LEAVE_CARD);
      break;
  }
}

void CTVRPcscLink::Apdu(const CJob& job) {
  const std::vector<tvr::BYTE>& apdu = job.m_Bytes;
  if (apdu.size() == 4 && apdu[0] == PCSC_CLASS_READER && apdu[2] == 0 && apdu[3] == 0) {
    switch (apdu[1]) {
      case PCSC_INS_POWER_UP:
        return PowerUp();
      case PCSC_INS_POWER_DOWN:
        return PowerDown();
      case PCSC_INS_GET_MASK:
        return PostAnswer(
            CTVRPcscFrame::CardAnswer(PCSC_KIND_MASK, std::vector<tvr::BYTE>(m_strReader.begin(), m_strReader.end())));
      default:
        break;  // the reader's own pseudo-APDUs of class FF go to it
    }
  }
  LONG rv = SCARD_S_SUCCESS;
  if (!m_hCard && !ConnectCard(rv)) return PostError(rv);
  // The round trip is the SCardTransmit calls of the statement: the daemon,
  // the reader and the card, a chain's added exchanges included.
  m_Transmitting = std::chrono::nanoseconds(0);
  DWORD length = 0;
  rv = Exchange(apdu, length);
  if (rv != SCARD_S_SUCCESS) {
    if (rv == SCARD_W_REMOVED_CARD || rv == SCARD_E_NO_SMARTCARD) DropCard(SCARD_LEAVE_CARD);
    if (IsExtended(apdu) && !IsGone(rv))
      PostComment("PC/SC: the extended APDU (" + std::to_string(apdu.size()) +
                  " bytes) was refused: the reader, its driver or the card may not take extended lengths"
                  " (a CCID reader lists them in its dwFeatures)\r\n");
    return PostError(rv);
  }
  length = std::min(length, DWORD(m_Response.size()));
  if (job.m_bChain) {
    CTVRPcscChain chain(apdu);
    unsigned exchanges = 1;
    for (;;) {
      const CTVRPcscChain::EStep step = chain.Take(m_Response.data(), length);
      const tvr::BYTE xx = length >= 2 ? m_Response[length - 1] : 0;
      if (step == CTVRPcscChain::STEP_DONE) break;
      if (step == CTVRPcscChain::STEP_TOO_LONG) {
        PostComment("PC/SC: the card still answers 61xx after " + std::to_string(CTVRPcscChain::MAX_GET_RESPONSES) +
                    " GET RESPONSE: the board stops the chain there\r\n");
        break;
      }
      if (step == CTVRPcscChain::STEP_GET_RESPONSE) {
        TraceKeptAnswer(m_Response.data(), length, "the board asks for them with GET RESPONSE");
        TraceAddedCommand(chain.GetCommand(), "GET RESPONSE");
      } else {
        TraceKeptAnswer(m_Response.data(), length, "the board sends the command again with Le = " + HexByte(xx));
        TraceAddedCommand(chain.GetCommand(), "THE COMMAND AGAIN WITH LE = " + HexByte(xx));
      }
      ++exchanges;
      rv = Exchange(chain.GetCommand(), length);
      if (rv != SCARD_S_SUCCESS) {
        if (rv == SCARD_W_REMOVED_CARD || rv == SCARD_E_NO_SMARTCARD) DropCard(SCARD_LEAVE_CARD);
        return PostError(rv);
      }
      length = std::min(length, DWORD(m_Response.size()));
    }
    if (exchanges > 1)
      PostComment("PC/SC: the statement's answer: the data of its " + std::to_string(exchanges) +
                  " answers and the last status word\r\n");
    return PostTimedAnswer(CTVRPcscFrame::CardAnswer(PCSC_KIND_CARD_RESULT, chain.GetAnswer()));
  }
  if (IsExtended(apdu) && length == 2 && m_Response[0] == 0x67 && m_Response[1] == 0x00)
    PostComment(
        "PC/SC: the card answered 67 00 (wrong length) to an extended APDU: it may not take extended "
        "lengths\r\n");
  PostTimedAnswer(CTVRPcscReplies::CardAnswer(PCSC_KIND_CARD_RESULT, m_Response.data(), m_Response.size(), length));
}

LONG CTVRPcscLink::Exchange(const std::vector<tvr::BYTE>& apdu, DWORD& length) {
  // Counted whichever way the exchange ends.
  struct CSpent {
    std::chrono::steady_clock::time_point m_Sent;
    std::chrono::nanoseconds& m_Total;
    ~CSpent() { m_Total += std::chrono::steady_clock::now() - m_Sent; }
  } spent{std::chrono::steady_clock::now(), m_Transmitting};
  const auto transmit = [&] {
    length = DWORD(m_Response.size());
    return Guarded([&] {
      return SCardTransmit(m_hCard, SendPci(m_dwProtocol), apdu.data(), DWORD(apdu.size()), nullptr, m_Response.data(),
                           &length);
    });
  };
  LONG rv = transmit();
  if (rv == SCARD_W_RESET_CARD) {
    // Another application reset the card: the session goes on with it.
    rv = Guarded([this] {
      return SCardReconnect(m_hCard, m_Access.m_dwShare, m_Access.m_dwProtocols, SCARD_LEAVE_CARD, &m_dwProtocol);
    });
    if (rv == SCARD_S_SUCCESS) rv = transmit();
  }
  return rv;
}

void CTVRPcscLink::TraceKeptAnswer(const tvr::BYTE* answer, DWORD length, const std::string& why) {
  if (!IsLive()) return;
  const std::string sw = length >= 2 ? HexByte(answer[length - 2]) + " " + HexByte(answer[length - 1]) : "";
  ::PostComment(m_hWnd, (" " + sw + ": " + why).c_str(), TRACE_ANSWER_TEXT);
  for (const std::string& record : DumpRecords(answer, length))
    ::PostComment(m_hWnd, record.c_str(), TRACE_RELOAD_RECEIVED);
  // The empty line that closes every exchange.
  ::PostComment(m_hWnd, "", TRACE_RELOAD_RECEIVED);
}

void CTVRPcscLink::TraceAddedCommand(const std::vector<tvr::BYTE>& command, const std::string& name) {
  if (!IsLive()) return;
  ::PostComment(m_hWnd, (" " + name + ", added by the board").c_str(), TRACE_COMMAND_NAME);
  for (const std::string& record : DumpRecords(command.data(), command.size()))
    ::PostComment(m_hWnd, record.c_str(), TRACE_RELOAD_SENT);
}

void CTVRPcscLink::EscapeRefused(LONG rv, tvr::DWORD code) {
  // pcsc-lite's CCID driver refuses its escape command unless its
  // configuration allows it, and the daemon reports that as a failed
  // transaction (or an unsupported feature with other drivers).
  if (code == CCID_ESCAPE_CODE && (rv == SCARD_E_NOT_TRANSACTED || rv == SCARD_E_UNSUPPORTED_FEATURE))
    PostComment(std::string("PC/SC: the reader's driver refused the escape command (") + pcsc_stringify_error(rv) +
                "): escape commands are off in the driver's configuration; the CCID driver takes them once bit "
                "0x01 is set in ifdDriverOptions (its Info.plist), and pcscd is restarted\r\n");
  PostError(rv);
}

void CTVRPcscLink::PowerUp() {
  LONG rv = SCARD_S_SUCCESS;
  if (m_hCard)
    rv = Guarded([this] {
      return SCardReconnect(m_hCard, m_Access.m_dwShare, m_Access.m_dwProtocols, SCARD_RESET_CARD, &m_dwProtocol);
    });
  else
    ConnectCard(rv);
  if (rv != SCARD_S_SUCCESS) {
    if (rv == SCARD_W_REMOVED_CARD) DropCard(SCARD_LEAVE_CARD);
    return PostError(rv);
  }
  PostAtr();
}

void CTVRPcscLink::PowerDown() {
  DropCard(SCARD_UNPOWER_CARD);
  PostAnswer(CTVRPcscFrame::Empty());
}

void CTVRPcscLink::PostAtr() {
  tvr::BYTE atr[MAX_ATR_SIZE];
  DWORD atrLength = sizeof atr;
  DWORD state = 0, protocol = 0, nameLength = 0;
  const LONG rv =
      Guarded([&] { return SCardStatus(m_hCard, nullptr, &nameLength, &state, &protocol, atr, &atrLength); });
  if (rv != SCARD_S_SUCCESS) return PostError(rv);
  // The protocol is named ahead of the answer: a comment posted after it could
  // come after the next statement, which the answer may already have started.
  PostComment(std::string("PC/SC: protocol ") + ProtocolName(protocol) + " in use\r\n");
  PostAnswer(CTVRPcscReplies::CardAnswer(PCSC_KIND_ATR, atr, sizeof atr, atrLength));
}

void CTVRPcscLink::PostError(LONG rv) {
  if (CheckGone(rv)) return;
  PostAnswer(CTVRPcscFrame::Error(tvr::BYTE(rv & 0xFF), std::string(" ") + pcsc_stringify_error(rv)));
}

void CTVRPcscLink::PostAnswer(const std::vector<tvr::BYTE>& answer) {
  if (IsLive()) ::PostAnswer(m_hWnd, answer.data(), tvr::DWORD(answer.size()));
}

void CTVRPcscLink::PostTimedAnswer(const std::vector<tvr::BYTE>& answer) {
  if (IsLive()) ::PostTimedAnswer(m_hWnd, answer.data(), tvr::DWORD(answer.size()), m_Transmitting);
}

void CTVRPcscLink::PostComment(const std::string& text) {
  if (IsLive()) ::PostComment(m_hWnd, text.c_str(), TRACE_COMMENT);
}

bool CTVRPcscLink::CheckGone(LONG rv) {
  if (!IsGone(rv)) return false;
  PostGone(pcsc_stringify_error(rv));
  return true;
}

void CTVRPcscLink::PostGone(const std::string& why) {
  if (m_bGone.exchange(true) || !IsLive()) return;
  PostComment("PC/SC: " + m_strReader + ": " + why + "\r\n");
  PostMessage(m_hWnd, WM_RECV_BOARD_DISCONNECTED, 0, 0);
}

void CTVRPcscLink::WatcherMain(bool cardAtOpen) {
  // Close cancels the wait until it sees this.
  struct CEnded {
    CTVRPcscLink& m_Link;
    ~CEnded() {
      {
        std::lock_guard<std::mutex> lock(m_Link.m_mutex);
        m_Link.m_bWatcherEnded = true;
      }
      m_Link.m_workerNews.notify_all();
    }
  } ended{*this};
  SCARDCONTEXT context = 0;
  const LONG established = SCardEstablishContext(SCARD_SCOPE_SYSTEM, nullptr, nullptr, &context);
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (established == SCARD_S_SUCCESS) m_hWatch = context;
    if (m_bStop) return;  // Close releases it
  }
  if (established != SCARD_S_SUCCESS) {
    CheckGone(established);
    return;
  }
  SCARD_READERSTATE state{};
  state.szReader = m_strReader.c_str();
  // Compared with what the connection found, not learnt afresh: a card gone
  // before the watcher first looks is a removal all the same.
  state.dwCurrentState = cardAtOpen ? SCARD_STATE_PRESENT : SCARD_STATE_EMPTY;
  for (;;) {
    // Not INFINITE: a cancel that comes between two waits would be lost.
    const LONG rv = SCardGetStatusChange(context, kWatchTimeoutMs, &state, 1);
    {
      std::lock_guard<std::mutex> lock(m_mutex);
      if (m_bStop) return;
    }
    if (rv == SCARD_E_TIMEOUT) continue;
    if (rv != SCARD_S_SUCCESS) {
      if (rv != SCARD_E_CANCELLED) CheckGone(rv);
      return;
    }
    const DWORD now = state.dwEventState & ~DWORD(SCARD_STATE_CHANGED);
    if (now & (SCARD_STATE_UNKNOWN | SCARD_STATE_UNAVAILABLE)) {
      CheckGone(SCARD_E_READER_UNAVAILABLE);
      return;
    }
    const bool wasPresent = (state.dwCurrentState & SCARD_STATE_PRESENT) != 0;
    const bool isPresent = (now & SCARD_STATE_PRESENT) != 0;
    if (!isPresent && wasPresent) {
      // Said at once, not behind the jobs queued (an APDU waiting out its
      // command delay), which the end of the run may drop.
      PostComment("PC/SC: the card was removed from " + m_strReader + "\r\n");
      // Its answer to reset no longer describes anything in the reader.
      PostMessage(m_hWnd, WM_RECV_CARD_REMOVED, 0, 0);
    }
    if (wasPresent != isPresent) Push(CJob{isPresent ? JOB_CARD_INSERTED : JOB_CARD_REMOVED, {}});
    state.dwCurrentState = now;
  }
}

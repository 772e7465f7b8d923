// The board's connection to one PC/SC reader. Every exchange with the daemon
// after the connection runs on the link's own threads, never on the UI
// thread: a worker takes the jobs in order (APDUs, pseudo-APDUs of class FF,
// escapes) and posts each answer in the PC/SC answer layout (pcsc_frame.h);
// a watcher waits in SCardGetStatusChange for the card to come and go and for
// the reader or the daemon to vanish, which is posted once as a disconnection.
//
// Every call of the worker into pcsc-lite (the connection too) has a time
// limit: a guard thread takes a call still running past it as a reader that
// does not answer, posted once as a disconnection. Such a call cannot be
// interrupted, so the worker is left to it: it owns the link (a shared
// pointer), posts nothing more and lets its handles go when the call returns.
// A link is used for one connection; the document makes a new one for the next.
#pragma once

#include <winscard.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <tavric/types.h>

class CTVRPcscLink : public std::enable_shared_from_this<CTVRPcscLink> {
 public:
  // The CCID escape of pcsc-lite's drivers: SCARD_CTL_CODE(3500).
  static constexpr DWORD CCID_ESCAPE_CODE = 0x42000000 + 3500;
  // An extended answer: 65,536 bytes of data and the status word, with
  // pcsc-lite's margin (its MAX_BUFFER_SIZE_EXTENDED).
  static constexpr DWORD RESPONSE_CAPACITY = MAX_BUFFER_SIZE_EXTENDED;

  // How the card is connected: SCardConnect's sharing mode and the protocols
  // it may choose from.
  struct CAccess {
    DWORD m_dwShare = SCARD_SHARE_SHARED;
    DWORD m_dwProtocols = SCARD_PROTOCOL_T0 | SCARD_PROTOCOL_T1;
  };

  CTVRPcscLink() = default;
  ~CTVRPcscLink() { Close(); }
  CTVRPcscLink(const CTVRPcscLink&) = delete;
  CTVRPcscLink& operator=(const CTVRPcscLink&) = delete;

  // Lists the readers; empty with `error` set when the daemon cannot be reached.
  static std::vector<std::string> ListReaders(std::string& error);
  // The same on the context the link connects with next (established now and
  // kept), so that connecting after it costs no second trip to the daemon.
  std::vector<std::string> ListReadersToOpen(std::string& error);

  // Connects to the reader with `access` (a reader without a card is fine)
  // and starts the threads; each call into pcsc-lite then has `limit` to
  // return. FALSE with `error` set when it cannot, or when the connection
  // itself takes longer than `limit` (NoAnswerText).
  bool Open(const std::string& reader, const CAccess& access, std::chrono::milliseconds limit, tvr::HWND hWnd,
            std::string& error);
  void Close();
  bool IsOpen() const { return m_bOpen; }
  const std::string& GetReader() const { return m_strReader; }

  // Queued for the worker; bEndStatement posts the end of the running
  // statement after the answer (board services, which the decoder does not end).
  // bChain: the response chain is followed (pcsc_chain.h).
  void Transmit(const tvr::BYTE* apdu, tvr::DWORD length, unsigned delayMs, bool bChain);
  void Control(tvr::DWORD code, const tvr::BYTE* data, tvr::DWORD length, bool bEndStatement);
  // Drops the jobs not yet started (the run was stopped).
  void ClearQueue();

  // What the board says of a reader that has not answered within `limit`.
  static std::string NoAnswerText(std::chrono::milliseconds limit);

 private:
  enum EJob { JOB_APDU, JOB_CONTROL, JOB_CARD_INSERTED, JOB_CARD_REMOVED };
  struct CJob {
    EJob m_eKind;
    std::vector<tvr::BYTE> m_Bytes;
    tvr::DWORD m_dwCode = 0;
    unsigned m_uDelayMs = 0;
    bool m_bEndStatement = false;
    bool m_bChain = false;
  };

  void Push(CJob job);
  // A call into pcsc-lite under the time limit that the guard watches.
  template <class F>
  LONG Guarded(F call);
  void GuardMain();
  // The worker's first job: the card connected, its answer to reset posted.
  void OpenCard();
  // Whether the link still speaks for the document (not closed).
  bool IsLive() const { return !m_bClosed.load(std::memory_order_acquire); }
  // Waits awake, for a short while, for the job that usually follows an answer.
  void AwaitNextJob() const;
  void WorkerMain();
  void WatcherMain(bool cardAtOpen);
  void Run(const CJob& job);
  void Apdu(const CJob& job);
  // One SCardTransmit into m_Response (a card reset by another application
  // is reconnected and the command sent again); the answer's length in length.
  LONG Exchange(const std::vector<tvr::BYTE>& apdu, DWORD& length);
  // What the board adds to the trace for an exchange of a response chain.
  void TraceKeptAnswer(const tvr::BYTE* answer, DWORD length, const std::string& why);
  void TraceAddedCommand(const std::vector<tvr::BYTE>& command, const std::string& name);
  void EscapeRefused(LONG rv, tvr::DWORD code);
  void PowerUp();
  void PowerDown();
  bool ConnectCard(LONG& rv);
  void DropCard(DWORD disposition);
  void PostAtr();
  void PostError(LONG rv);
  void PostAnswer(const std::vector<tvr::BYTE>& answer);
  // A card's answer, with the time its statement's exchanges took.
  void PostTimedAnswer(const std::vector<tvr::BYTE>& answer);
  void PostComment(const std::string& text);
  // TRUE (and the disconnection posted once) when rv says the reader or the daemon is gone.
  bool CheckGone(LONG rv);
  // The comment "PC/SC: NAME: " and why, and the disconnection, once.
  void PostGone(const std::string& why);

  tvr::HWND m_hWnd = 0;
  std::string m_strReader;
  bool m_bOpen = false;
  SCARDCONTEXT m_hContext = 0;  // the worker's
  SCARDCONTEXT m_hWatch = 0;    // the watcher's, made on its own thread; guarded by m_mutex
  SCARDHANDLE m_hCard = 0;      // 0: no card connected
  DWORD m_dwProtocol = 0;
  CAccess m_Access;
  std::vector<tvr::BYTE> m_Response;           // the worker's answer buffer, RESPONSE_CAPACITY bytes
  std::chrono::nanoseconds m_Transmitting{0};  // the statement's SCardTransmit calls so far

  std::mutex m_mutex;
  std::condition_variable m_wake;
  std::deque<CJob> m_Jobs;
  std::atomic<bool> m_bJobsWaiting{false};  // m_Jobs is not empty, readable without the lock
  bool m_bStop = false;
  std::atomic<bool> m_bGone{false};
  std::atomic<bool> m_bClosed{false};  // set by Close: nothing more is posted
  std::thread m_Worker;
  std::thread m_Watcher;

  // The time limit. m_nCallStart: when the worker's call began (steady clock,
  // nanoseconds), 0 between calls; m_nCalls counts them, so that the guard
  // sleeps until the next one once the worker is quiet, and wakes about once
  // a limit during a run.
  std::chrono::milliseconds m_Limit{10000};
  std::atomic<std::int64_t> m_nCallStart{0};
  std::atomic<std::uint64_t> m_nCalls{0};
  std::atomic<bool> m_bGuardIdle{false};
  std::atomic<bool> m_bStuck{false};  // a call ran past the limit: the worker is left to it
  std::condition_variable m_guardWake;
  std::thread m_Guard;
  // The worker's first job and its end, and the watcher's end, which Open and
  // Close wait for (m_mutex).
  std::condition_variable m_workerNews;
  bool m_bWorkerStarted = false;  // m_hContext is the worker's from then on
  bool m_bOpenDone = false;
  LONG m_lOpenResult = SCARD_S_SUCCESS;
  bool m_bWorkerEnded = false;
  bool m_bWatcherEnded = false;  // Close cancels its wait until then
};

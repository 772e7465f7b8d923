// The board's connection to one PC/SC reader. Every exchange with the daemon
// after the connection runs on the link's own threads, never on the UI
// thread: a worker takes the jobs in order (APDUs, pseudo-APDUs of class FF,
// escapes) and posts each answer in the PC/SC answer layout (pcsc_frame.h);
// a watcher waits in SCardGetStatusChange for the card to come and go and for
// the reader or the daemon to vanish, which is posted once as a disconnection.
#pragma once

#include <winscard.h>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <tavric/types.h>

class CTVRPcscLink {
 public:
  // The CCID escape of pcsc-lite's drivers: SCARD_CTL_CODE(3500).
  static constexpr DWORD CCID_ESCAPE_CODE = 0x42000000 + 3500;
  // The host's PC/SC layout holds at most 512 bytes, kind bytes included.
  static constexpr DWORD MAX_RESPONSE_LENGTH = 510;

  CTVRPcscLink() = default;
  ~CTVRPcscLink() { Close(); }
  CTVRPcscLink(const CTVRPcscLink&) = delete;
  CTVRPcscLink& operator=(const CTVRPcscLink&) = delete;

  // Lists the readers; empty with `error` set when the daemon cannot be reached.
  static std::vector<std::string> ListReaders(std::string& error);
  // The same on the context the link connects with next (established now and
  // kept), so that connecting after it costs no second trip to the daemon.
  std::vector<std::string> ListReadersToOpen(std::string& error);

  // Connects to the reader (shared, T=0 or T=1; a reader without a card is
  // fine) and starts the threads. FALSE with `error` set when it cannot.
  bool Open(const std::string& reader, tvr::HWND hWnd, std::string& error);
  void Close();
  bool IsOpen() const { return m_bOpen; }
  const std::string& GetReader() const { return m_strReader; }

  // Queued for the worker; bEndStatement posts the end of the running
  // statement after the answer (board services, which the decoder does not end).
  void Transmit(const tvr::BYTE* apdu, tvr::DWORD length, unsigned delayMs);
  void Control(tvr::DWORD code, const tvr::BYTE* data, tvr::DWORD length, bool bEndStatement);
  // Drops the jobs not yet started (the run was stopped).
  void ClearQueue();

 private:
  enum EJob { JOB_APDU, JOB_CONTROL, JOB_CARD_INSERTED, JOB_CARD_REMOVED };
  struct CJob {
    EJob m_eKind;
    std::vector<tvr::BYTE> m_Bytes;
    tvr::DWORD m_dwCode = 0;
    unsigned m_uDelayMs = 0;
    bool m_bEndStatement = false;
  };

  void Push(CJob job);
  // Waits awake, for a short while, for the job that usually follows an answer.
  void AwaitNextJob() const;
  void WorkerMain();
  void WatcherMain(bool cardAtOpen);
  void Run(const CJob& job);
  void Apdu(const std::vector<tvr::BYTE>& apdu);
  void PowerUp();
  void PowerDown();
  bool ConnectCard(LONG& rv);
  void DropCard(DWORD disposition);
  void PostAtr();
  void PostError(LONG rv);
  void PostAnswer(const std::vector<tvr::BYTE>& answer);
  void PostComment(const std::string& text);
  // TRUE (and the disconnection posted once) when rv says the reader or the daemon is gone.
  bool CheckGone(LONG rv);

  tvr::HWND m_hWnd = 0;
  std::string m_strReader;
  bool m_bOpen = false;
  SCARDCONTEXT m_hContext = 0;  // the worker's
  SCARDCONTEXT m_hWatch = 0;    // the watcher's, made on its own thread; guarded by m_mutex
  SCARDHANDLE m_hCard = 0;      // 0: no card connected
  DWORD m_dwProtocol = 0;

  std::mutex m_mutex;
  std::condition_variable m_wake;
  std::deque<CJob> m_Jobs;
  std::atomic<bool> m_bJobsWaiting{false};  // m_Jobs is not empty, readable without the lock
  bool m_bStop = false;
  std::atomic<bool> m_bGone{false};
  std::thread m_Worker;
  std::thread m_Watcher;
};

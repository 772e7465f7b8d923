// The serial board's line: a QSerialPort that lives on the link's own thread
// with its own event loop, so that neither a slow reader nor the delays of
// the Delay Options ever hold the UI thread. Frames to send are queued to
// that thread; what the reader sends back is cut into frames there
// (frame_cutter.h, with an inter-byte timeout) and posted to the document:
// whole frames as answers, bytes of no good frame as an error comment
// followed by WM_RECV_ERROR, a device gone (unplugged, read or write failed)
// as one WM_RECV_BOARD_DISCONNECTED.
#pragma once

#include <atomic>
#include <chrono>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <tavric/types.h>

#include "frame_cutter.h"
#include "serial_settings.h"

class QObject;
class QSerialPort;
class QThread;
class QTimer;

class CTVRSerialLink {
 public:
  // One frame to write, with what the document's settings asked for it.
  struct CFrame {
    std::vector<tvr::BYTE> m_Bytes;
    unsigned m_uCommandDelayMs = 0;  // waited before the frame
    unsigned m_uDsrTxDelayMs = 0;    // DTR raised, then this long before the first byte
    bool m_bFreeReception = false;   // its answer is cut at silences, not by the geometry
    bool m_bEndStatement = false;    // end the running statement once the answer is over
  };

  CTVRSerialLink();
  ~CTVRSerialLink();
  CTVRSerialLink(const CTVRSerialLink&) = delete;
  CTVRSerialLink& operator=(const CTVRSerialLink&) = delete;

  // Opens the port (8 data bits, 1 stop bit) on the link's thread. A null
  // geometry cuts answers at silences. FALSE with the system's reason.
  bool Open(const CTVRSerialSettings::CLine& line, const CTVRFrameGeometry* pGeometry, tvr::HWND hWnd,
            std::string& error);
  void Close();
  bool IsOpen() const { return m_bOpen; }
  // The port gave up (the device went away); the disconnection is posted.
  bool IsGone() const { return m_bGone; }

  void Write(CFrame frame);
  // Frames not yet written belong to a run that was stopped.
  void ClearQueue();

 private:
  // Runs work on the link thread and returns once it is done.
  void RunOnLinkThread(const std::function<void()>& work);
  // All of these run on the link's thread.
  void OpenPort(const CTVRSerialSettings::CLine& line, std::string& error);
  void ClosePort(bool bLater = false);
  void Pump();
  void WriteFront();
  void OnReadyRead();
  void OnSilence();
  void OnPortError(int error);
  void Post(const std::vector<CTVRFrameCutter::CPiece>& pieces);
  void Gone(const std::string& reason);

  std::unique_ptr<QThread> m_pThread;
  QObject* m_pContext = nullptr;  // lives on m_pThread; parent of the port and timers
  QSerialPort* m_pPort = nullptr;
  QTimer* m_pSilence = nullptr;  // the inter-byte timeout
  QTimer* m_pDelay = nullptr;    // the delays before the front frame
  tvr::HWND m_hWnd = 0;
  std::string m_strPort;
  const CTVRFrameGeometry* m_pGeometry = nullptr;
  CTVRFrameCutter m_Cutter;
  std::deque<CFrame> m_Queue;
  bool m_bDelaying = false;    // the front frame waits for its delays
  bool m_bEndPending = false;  // the statement ends when the line next falls silent
  bool m_bAnswered = false;    // something came back since the last frame written
  // An answer's round-trip time: from the first byte of the last frame out
  // (the epoch before any) to the last byte of the answer in.
  std::chrono::steady_clock::time_point m_FirstOut;
  std::chrono::steady_clock::time_point m_LastIn;
  bool m_bOpen = false;  // UI thread's view
  std::atomic<bool> m_bGone{false};
};

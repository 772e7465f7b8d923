#include "serial_link.h"

#include <sys/ioctl.h>

#include <algorithm>

#include <QObject>
#include <QSerialPort>
#include <QThread>
#include <QTimer>

#include <tavric/hex_text.h>
#include <tavric/messages.h>
#include <tavric/trace_record.h>

namespace {

// Bytes shown of a dropped piece: enough to recognise it, within a comment's 4,095 characters.
constexpr std::size_t kShownBytes = 64;

std::string Dump(const std::vector<tvr::BYTE>& bytes) {
  std::string text = CTVRHexText::BytesText(bytes.data(), std::min(bytes.size(), kShownBytes), " ");
  if (bytes.size() > kShownBytes) text += " ...";
  return text;
}

std::string Bytes(std::size_t n) {
  return std::to_string(n) + (n == 1 ? " byte" : " bytes");
}

}  // namespace

CTVRSerialLink::CTVRSerialLink() = default;

CTVRSerialLink::~CTVRSerialLink() {
  Close();
}

bool CTVRSerialLink::Open(const CTVRSerialSettings::CLine& line, const CTVRFrameGeometry* pGeometry, tvr::HWND hWnd,
                          std::string& error) {
  Close();
  m_hWnd = hWnd;
  m_strPort = line.m_strPort;
  m_pGeometry = pGeometry;
  m_bGone = false;
  m_pThread = std::make_unique<QThread>();
  m_pThread->setObjectName("tavric serial");
  m_pContext = new QObject;
  m_pContext->moveToThread(m_pThread.get());
  m_pThread->start();
  RunOnLinkThread([this, &line, &error] { OpenPort(line, error); });
  m_bOpen = error.empty();
  if (!m_bOpen) Close();
  return m_bOpen;
}

void CTVRSerialLink::Close() {
  if (!m_pThread) return;
  RunOnLinkThread([this] { ClosePort(); });
  m_pThread->quit();
  m_pThread->wait();
  // The thread has ended: nothing runs on the context any more.
  delete m_pContext;
  m_pContext = nullptr;
  m_pThread.reset();
  m_bOpen = false;
}

void CTVRSerialLink::RunOnLinkThread(const std::function<void()>& work) {
  // Qt hands the call over and back through futex-based locks that leave no
  // trace a race detector can see; the atomic flag states the hand-back
  // plainly: all the link thread did before it happens before what follows.
  std::atomic<bool> done{false};
  QMetaObject::invokeMethod(
      m_pContext,
      [&work, &done] {
        work();
        done.store(true, std::memory_order_release);
      },
      Qt::BlockingQueuedConnection);
  (void)done.load(std::memory_order_acquire);
}

void CTVRSerialLink::Write(CFrame frame) {
  if (!m_bOpen) return;
  QMetaObject::invokeMethod(
      m_pContext,
      [this, frame = std::move(frame)]() mutable {
        m_Queue.push_back(std::move(frame));
        Pump();
      },
      Qt::QueuedConnection);
}

void CTVRSerialLink::ClearQueue() {
  if (!m_bOpen) return;
  QMetaObject::invokeMethod(
      m_pContext,
      [this] {
        m_Queue.clear();
        m_bDelaying = false;
        m_bEndPending = false;
        if (m_pDelay) m_pDelay->stop();
      },
      Qt::QueuedConnection);
}

void CTVRSerialLink::OpenPort(const CTVRSerialSettings::CLine& line, std::string& error) {
  m_pPort = new QSerialPort(m_pContext);
  m_pPort->setPortName(QString::fromStdString(line.m_strPort));
  if (!m_pPort->open(QIODevice::ReadWrite)) {
    error = m_pPort->errorString().toStdString();
    ClosePort();
    return;
  }
  static const QSerialPort::Parity parities[] = {QSerialPort::NoParity, QSerialPort::EvenParity,
                                                 QSerialPort::OddParity};
  static const QSerialPort::FlowControl flows[] = {QSerialPort::NoFlowControl, QSerialPort::HardwareControl,
                                                   QSerialPort::SoftwareControl};
  if (!m_pPort->setBaudRate(qint32(line.m_lSpeed)) || !m_pPort->setDataBits(QSerialPort::Data8) ||
      !m_pPort->setParity(parities[line.m_eParity]) || !m_pPort->setStopBits(QSerialPort::OneStop) ||
      !m_pPort->setFlowControl(flows[line.m_eFlow])) {
    error = m_pPort->errorString().toStdString();
    ClosePort();
    return;
  }
  m_Cutter.Clear();
  m_Cutter.SetGeometry(m_pGeometry);
  m_Queue.clear();
  m_bDelaying = m_bEndPending = m_bAnswered = false;
  m_FirstOut = m_LastIn = std::chrono::steady_clock::time_point();
  m_pSilence = new QTimer(m_pContext);
  m_pSilence->setSingleShot(true);
  m_pSilence->setInterval(int(line.m_uByteTimeoutMs));
  m_pDelay = new QTimer(m_pContext);
  m_pDelay->setSingleShot(true);
  // A coarse timer may fire up to 5 % early; a delay is a least time.
  m_pSilence->setTimerType(Qt::PreciseTimer);
  m_pDelay->setTimerType(Qt::PreciseTimer);
  QObject::connect(m_pSilence, &QTimer::timeout, m_pContext, [this] { OnSilence(); });
  QObject::connect(m_pDelay, &QTimer::timeout, m_pContext, [this] { WriteFront(); });
  QObject::connect(m_pPort, &QSerialPort::readyRead, m_pContext, [this] { OnReadyRead(); });
  QObject::connect(m_pPort, &QSerialPort::errorOccurred, m_pContext,
                   [this](QSerialPort::SerialPortError e) { OnPortError(int(e)); });
}

void CTVRSerialLink::ClosePort(bool bLater) {
  // Timers first: a timeout must not find the port half gone.
  delete m_pSilence;
  delete m_pDelay;
  m_pSilence = m_pDelay = nullptr;
  if (m_pPort) {
    m_pPort->disconnect();
    m_pPort->close();
    // From inside one of the port's own signals it may not be deleted at once.
    if (bLater)
      m_pPort->deleteLater();
    else
      delete m_pPort;
    m_pPort = nullptr;
  }
  m_Queue.clear();
  m_Cutter.Clear();
}

void CTVRSerialLink::Pump() {
  if (m_bDelaying || m_Queue.empty() || !m_pPort) return;
  const CFrame& frame = m_Queue.front();
  unsigned wait = frame.m_uCommandDelayMs;
  if (frame.m_uDsrTxDelayMs) {
    // Wakes a reader that sleeps between commands; a line without modem
    // signals (a pseudo-terminal) just waits.
    m_pPort->setDataTerminalReady(true);
    wait += frame.m_uDsrTxDelayMs;
  }
  if (wait == 0) return WriteFront();
  m_bDelaying = true;
  m_pDelay->start(int(wait));
}

void CTVRSerialLink::WriteFront() {
  m_bDelaying = false;
  if (m_Queue.empty() || !m_pPort) return;
  CFrame frame = std::move(m_Queue.front());
  m_Queue.pop_front();
  m_Cutter.SetGeometry(frame.m_bFreeReception ? nullptr : m_pGeometry);
  m_bEndPending = frame.m_bEndStatement;
  m_bAnswered = false;
  m_FirstOut = std::chrono::steady_clock::now();
  const qint64 written =
      m_pPort->write(reinterpret_cast<const char*>(frame.m_Bytes.data()), qint64(frame.m_Bytes.size()));
  // A failed write has reported the device gone already (the port is closed).
  if (written == qint64(frame.m_Bytes.size()) && m_pPort) Pump();
}

void CTVRSerialLink::OnReadyRead() {
  if (!m_pPort) return;
  const QByteArray bytes = m_pPort->readAll();
  // A read that failed has reported the device gone already (the port is closed).
  if (bytes.isEmpty() || !m_pPort) return;
  m_bAnswered = true;
  // A frame cut now, or at the silence after, ended with these bytes.
  m_LastIn = std::chrono::steady_clock::now();
  Post(m_Cutter.Feed(reinterpret_cast<const tvr::BYTE*>(bytes.constData()), std::size_t(bytes.size())));
  m_pSilence->start();
}

void CTVRSerialLink::OnSilence() {
  if (!m_pPort) return;
  // A thread that was kept from running may find the timer and new bytes due
  // at once: bytes waiting in the line's queue mean the line was not silent.
  int queued = 0;
  if (m_pPort->bytesAvailable() > 0 || (::ioctl(int(m_pPort->handle()), FIONREAD, &queued) == 0 && queued > 0)) {
    m_pSilence->start();
    return;
  }
  Post(m_Cutter.Flush());
  if (m_bEndPending && m_bAnswered) {
    m_bEndPending = false;
    PostMessage(m_hWnd, WM_END_COMMAND, 0, 0);
  }
}

void CTVRSerialLink::Post(const std::vector<CTVRFrameCutter::CPiece>& pieces) {
  for (const CTVRFrameCutter::CPiece& piece : pieces) {
    if (piece.m_eKind == CTVRFrameCutter::CUT_FRAME) {
      // A frame that came before any was written answers nothing: untimed.
      if (m_FirstOut != std::chrono::steady_clock::time_point() && m_LastIn >= m_FirstOut)
        PostTimedAnswer(m_hWnd, piece.m_Bytes.data(), tvr::DWORD(piece.m_Bytes.size()), m_LastIn - m_FirstOut);
      else
        PostAnswer(m_hWnd, piece.m_Bytes.data(), tvr::DWORD(piece.m_Bytes.size()));
      continue;
    }
    const std::string layout = m_Cutter.GetGeometry() ? m_Cutter.GetGeometry()->m_pszName : "";
    std::string text;
    switch (piece.m_eKind) {
      case CTVRFrameCutter::CUT_GARBLED:
        text = "Serial: a garbled " + layout + " frame was dropped (" + Bytes(piece.m_Bytes.size()) +
               ", its checksum is wrong): ";
        break;
      case CTVRFrameCutter::CUT_TRUNCATED:
        text = "Serial: a truncated " + layout + " frame was dropped (the line fell silent after " +
               Bytes(piece.m_Bytes.size()) + "): ";
        break;
      default:
        text = "Serial: " + Bytes(piece.m_Bytes.size()) + " that begin no " + layout + " frame were dropped: ";
        break;
    }
    text += Dump(piece.m_Bytes) + "\r\n";
    PostComment(m_hWnd, text.c_str(), TRACE_COMMENT);
    PostMessage(m_hWnd, WM_RECV_ERROR, 0, 0);
  }
}

void CTVRSerialLink::OnPortError(int error) {
  if (!m_pPort) return;
  // The port's own text is the last system error, often some unrelated ioctl's.
  switch (error) {
    case QSerialPort::ResourceError:
      Gone("the device is no longer there");
      break;
    case QSerialPort::ReadError:
      Gone("reading the line failed");
      break;
    case QSerialPort::WriteError:
      Gone("writing to the line failed");
      break;
    case QSerialPort::NoError:
      break;  // clearError() says so too
    default:
      // A line without modem signals refuses DTR; a timeout is no fault here.
      m_pPort->clearError();
      break;
  }
}

void CTVRSerialLink::Gone(const std::string& reason) {
  // What was cut before the device went still belongs to the trace.
  Post(m_Cutter.Flush());
  ClosePort(true);
  if (!m_bGone.exchange(true)) {
    const std::string text = "Serial: " + m_strPort + ": " + reason + "\r\n";
    PostComment(m_hWnd, text.c_str(), TRACE_COMMENT);
    PostMessage(m_hWnd, WM_RECV_BOARD_DISCONNECTED, 0, 0);
  }
}

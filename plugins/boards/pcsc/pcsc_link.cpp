#include "pcsc_link.h"

#include <chrono>
#include <cstdio>

#include <tavric/messages.h>
#include <tavric/trace_record.h>

#include "pcsc_frame.h"

namespace {

// Results that mean the reader or the daemon has gone, not the card.
bool IsGone(LONG rv) {
  return rv == SCARD_E_NO_SERVICE || rv == SCARD_E_SERVICE_STOPPED || rv == SCARD_E_READER_UNAVAILABLE ||
         rv == SCARD_E_UNKNOWN_READER || rv == SCARD_F_COMM_ERROR || rv == SCARD_E_NO_READERS_AVAILABLE;
}

const SCARD_IO_REQUEST* SendPci(DWORD protocol) {
  return protocol == SCARD_PROTOCOL_T1 ? SCARD_PCI_T1 : SCARD_PCI_T0;
}

}  // namespace

std::vector<std::string> CTVRPcscLink::ListReaders(std::string& error) {
  std::vector<std::string> readers;
  SCARDCONTEXT context = 0;
  LONG rv = SCardEstablishContext(SCARD_SCOPE_SYSTEM, nullptr, nullptr, &context);
  if (rv != SCARD_S_SUCCESS) {
    error = pcsc_stringify_error(rv);
    return readers;
  }
  DWORD length = 0;
  rv = SCardListReaders(context, nullptr, nullptr, &length);
  std::vector<char> names(length ? length : 1);
  if (rv == SCARD_S_SUCCESS) rv = SCardListReaders(context, nullptr, names.data(), &length);
  if (rv == SCARD_S_SUCCESS) {
    for (const char* p = names.data(); p < names.data() + length && *p; p += std::string(p).size() + 1)
      readers.emplace_back(p);
  } else {
    error = pcsc_stringify_error(rv);
  }
  SCardReleaseContext(context);
  return readers;
}

bool CTVRPcscLink::Open(const std::string& reader, tvr::HWND hWnd, std::string& error) {
  Close();
  m_hWnd = hWnd;
  m_strReader = reader;
  m_bGone = false;
  m_bStop = false;
  LONG rv = SCardEstablishContext(SCARD_SCOPE_SYSTEM, nullptr, nullptr, &m_hContext);
  if (rv == SCARD_S_SUCCESS) rv = SCardEstablishContext(SCARD_SCOPE_SYSTEM, nullptr, nullptr, &m_hWatch);
  if (rv != SCARD_S_SUCCESS) {
    error = pcsc_stringify_error(rv);
    Close();
    return false;
  }
  if (!ConnectCard(rv) && rv != SCARD_E_NO_SMARTCARD && rv != SCARD_W_REMOVED_CARD) {
    error = pcsc_stringify_error(rv);
    Close();
    return false;
  }
  m_bOpen = true;
  if (m_hCard)
    PostAtr();
  else
    PostComment("PC/SC: no card in " + m_strReader + "\r\n");
  m_Worker = std::thread([this] { WorkerMain(); });
  m_Watcher = std::thread([this] { WatcherMain(); });
  return true;
}

void CTVRPcscLink::Close() {
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_bStop = true;
    m_Jobs.clear();
  }
  m_wake.notify_all();
  if (m_hWatch) SCardCancel(m_hWatch);
  if (m_Watcher.joinable()) m_Watcher.join();
  if (m_Worker.joinable()) m_Worker.join();
  DropCard(SCARD_LEAVE_CARD);
  if (m_hWatch) SCardReleaseContext(m_hWatch);
  if (m_hContext) SCardReleaseContext(m_hContext);
  m_hWatch = m_hContext = 0;
  m_bOpen = false;
}

bool CTVRPcscLink::ConnectCard(LONG& rv) {
  rv = SCardConnect(m_hContext, m_strReader.c_str(), SCARD_SHARE_SHARED, SCARD_PROTOCOL_T0 | SCARD_PROTOCOL_T1,
                    &m_hCard, &m_dwProtocol);
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
  }
  m_wake.notify_one();
}

void CTVRPcscLink::Transmit(const tvr::BYTE* apdu, tvr::DWORD length, unsigned delayMs) {
  CJob job{JOB_APDU, std::vector<tvr::BYTE>(apdu, apdu + (apdu ? length : 0))};
  job.m_uDelayMs = delayMs;
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
}

void CTVRPcscLink::WorkerMain() {
  for (;;) {
    CJob job;
    {
      std::unique_lock<std::mutex> lock(m_mutex);
      m_wake.wait(lock, [this] { return m_bStop || !m_Jobs.empty(); });
      if (m_bStop) return;
      job = std::move(m_Jobs.front());
      m_Jobs.pop_front();
    }
    if (job.m_uDelayMs) std::this_thread::sleep_for(std::chrono::milliseconds(job.m_uDelayMs));
    Run(job);
  }
}

void CTVRPcscLink::Run(const CJob& job) {
  switch (job.m_eKind) {
    case JOB_APDU:
      Apdu(job.m_Bytes);
      break;
    case JOB_CONTROL: {
      LONG rv = SCARD_S_SUCCESS;
      if (!m_hCard && !ConnectCard(rv)) {
        // SCardControl needs a handle; a reader without a card takes a direct one.
        rv = SCardConnect(m_hContext, m_strReader.c_str(), SCARD_SHARE_DIRECT, 0, &m_hCard, &m_dwProtocol);
        if (rv != SCARD_S_SUCCESS) m_hCard = 0;
      }
      std::vector<tvr::BYTE> response(MAX_RESPONSE_LENGTH);
      DWORD length = 0;
      if (rv == SCARD_S_SUCCESS)
        rv = SCardControl(m_hCard, job.m_dwCode, job.m_Bytes.data(), DWORD(job.m_Bytes.size()), response.data(),
                          DWORD(response.size()), &length);
      if (rv == SCARD_S_SUCCESS) {
        response.resize(length);
        PostAnswer(CTVRPcscFrame::CardAnswer(PCSC_KIND_CARD_RESULT, response));
      } else {
        PostError(rv);
      }
      if (job.m_bEndStatement) PostMessage(m_hWnd, WM_END_COMMAND, 0, 0);
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
      DropCard(SCARD_LEAVE_CARD);
      PostComment("PC/SC: the card was removed from " + m_strReader + "\r\n");
      break;
  }
}

void CTVRPcscLink::Apdu(const std::vector<tvr::BYTE>& apdu) {
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
  std::vector<tvr::BYTE> response(MAX_RESPONSE_LENGTH);
  DWORD length = DWORD(response.size());
  rv =
      SCardTransmit(m_hCard, SendPci(m_dwProtocol), apdu.data(), DWORD(apdu.size()), nullptr, response.data(), &length);
  if (rv == SCARD_W_RESET_CARD) {
    // Another application reset the card: the session goes on with it.
    rv = SCardReconnect(m_hCard, SCARD_SHARE_SHARED, SCARD_PROTOCOL_T0 | SCARD_PROTOCOL_T1, SCARD_LEAVE_CARD,
                        &m_dwProtocol);
    length = DWORD(response.size());
    if (rv == SCARD_S_SUCCESS)
      rv = SCardTransmit(m_hCard, SendPci(m_dwProtocol), apdu.data(), DWORD(apdu.size()), nullptr, response.data(),
                         &length);
  }
  if (rv != SCARD_S_SUCCESS) {
    if (rv == SCARD_W_REMOVED_CARD || rv == SCARD_E_NO_SMARTCARD) DropCard(SCARD_LEAVE_CARD);
    return PostError(rv);
  }
  response.resize(length);
  PostAnswer(CTVRPcscFrame::CardAnswer(PCSC_KIND_CARD_RESULT, response));
}

void CTVRPcscLink::PowerUp() {
  LONG rv = SCARD_S_SUCCESS;
  if (m_hCard)
    rv = SCardReconnect(m_hCard, SCARD_SHARE_SHARED, SCARD_PROTOCOL_T0 | SCARD_PROTOCOL_T1, SCARD_RESET_CARD,
                        &m_dwProtocol);
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
  const LONG rv = SCardStatus(m_hCard, nullptr, &nameLength, &state, &protocol, atr, &atrLength);
  if (rv != SCARD_S_SUCCESS) return PostError(rv);
  PostAnswer(CTVRPcscFrame::CardAnswer(PCSC_KIND_ATR, std::vector<tvr::BYTE>(atr, atr + atrLength)));
}

void CTVRPcscLink::PostError(LONG rv) {
  if (CheckGone(rv)) return;
  PostAnswer(CTVRPcscFrame::Error(tvr::BYTE(rv & 0xFF), std::string(" ") + pcsc_stringify_error(rv)));
}

void CTVRPcscLink::PostAnswer(const std::vector<tvr::BYTE>& answer) {
  ::PostAnswer(m_hWnd, answer.data(), tvr::DWORD(answer.size()));
}

void CTVRPcscLink::PostComment(const std::string& text) {
  ::PostComment(m_hWnd, text.c_str(), TRACE_COMMENT);
}

bool CTVRPcscLink::CheckGone(LONG rv) {
  if (!IsGone(rv)) return false;
  if (!m_bGone.exchange(true)) {
    PostComment("PC/SC: " + m_strReader + ": " + pcsc_stringify_error(rv) + "\r\n");
    PostMessage(m_hWnd, WM_RECV_BOARD_DISCONNECTED, 0, 0);
  }
  return true;
}

void CTVRPcscLink::WatcherMain() {
  SCARD_READERSTATE state{};
  state.szReader = m_strReader.c_str();
  state.dwCurrentState = SCARD_STATE_UNAWARE;
  bool first = true;
  for (;;) {
    const LONG rv = SCardGetStatusChange(m_hWatch, INFINITE, &state, 1);
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
    // The first answer only tells the state the connection already reported.
    if (!first && wasPresent != isPresent) Push(CJob{isPresent ? JOB_CARD_INSERTED : JOB_CARD_REMOVED, {}});
    first = false;
    state.dwCurrentState = now;
  }
}

// The reader document as a board sees it: one open reader under test, the
// board interface that board plug-ins override, the state a board reads and
// the calls that hand the reader's answers back.
//
// A board plug-in derives one class per reader type, overrides at least
// Connect, Disconnect and Send, declares it with TVR_DECLARE_DYNCREATE and
// registers it with AddBoardType. The reader talks back with the Report...
// calls or the named messages of messages.h, addressed to
// GetDummyWindow()->GetSafeHwnd() or GetActiveBoard(). The script, the run,
// the trace and the rest of the document are the host's, behind d.
#pragma once

#include <chrono>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <tavric/board_setting.h>
#include <tavric/class_info.h>
#include <tavric/document.h>
#include <tavric/dummy_wnd.h>
#include <tavric/types.h>

class CTVRProtocol;
class CTVRCrypto;
class CTVRRegistry;
class CTVRBoardDocPrivate;

// Kind of a script's lines and of a frame to prepare.
enum EScriptType : int {
  SCRIPT_RAWDATA = 0,   // bytes sent unchanged
  SCRIPT_COMMANDS = 1,  // framed by the protocol's Command
  SCRIPT_APDU = 2,      // framed by the protocol's APDU
};

// Line state word bits.
enum : tvr::DWORD {
  LINE_COMMENT = 0x001,
  LINE_START = 0x002,
  LINE_END = 0x004,
  LINE_BREAKPOINT = 0x100,
  LINE_NEXT = 0x200,
};

// Command identifiers of the document.
enum : tvr::UINT {
  ID_READER_CONNECT = 33816,
  ID_READER_DISCONNECT = 33817,
  ID_SCRIPT_START = 33792,
  ID_SCRIPT_STOP = 33793,
  ID_SCRIPT_STEP = 33794,
  ID_SCRIPT_LOOP = 33787,
  ID_SCRIPT_RAWDATA = 33784,
  ID_SCRIPT_COMMANDS = 33785,
  ID_SCRIPT_APDU = 33786,
  ID_DELAY_CMD = 32831,
  ID_EDIT_CLEAR_ALL = 57633,
  ID_LOGFILE_SAVE = 32820,
  ID_LOGFILE_SAVE_AS = 32821,
  ID_HEX_TO_ASCII = 32857,
  ID_CRYPTO = 32849,
  ID_PROTOCOL_FIRST = 33800,
  ID_PROTOCOL_LAST = 33807,
  ID_CMD_SETTING = 32856,
  ID_CMD1 = 32850,
  ID_CMD2 = 32851,
  ID_CMD3 = 32853,  // 32852 is not a quick command
  ID_CMD4 = 32854,
  ID_CMD5 = 32855,
  ID_FILE_OPEN = 57601,
  ID_FILE_SAVE = 57603,
  ID_FILE_SAVE_AS = 57604,
  ID_NEW_SCRIPT_FILE = 32847,
  ID_READER_SETTINGS = 33818,  // the board's settings window
};

// Settings of the Delay Options dialog: kept and edited by the host, applied
// by the board to its link.
struct CTVRDelayOptions {
  tvr::BOOL m_bCommandDelay = FALSE;  // pause between two consecutive commands
  tvr::DWORD m_dwCommandDelay = 500;  // milliseconds
  tvr::DWORD m_dwDsrTxDelay = 0;
  tvr::BOOL m_bFreeReception = FALSE;
};

// A tool that waits for the next answer before the decoder sees it (the
// register dialog).
class TVR_API CTVRAnswerHook {
 public:
  virtual ~CTVRAnswerHook() = default;
  virtual tvr::BOOL IsWaitingAnswer() const = 0;
  virtual void OnAnswer(const tvr::BYTE* answer, tvr::DWORD length) = 0;
};

class TVR_API CTVRBoardDoc : public CTVRDocument {
  TVR_DECLARE_DYNCREATE(CTVRBoardDoc)

 public:
  CTVRBoardDoc();
  ~CTVRBoardDoc() override;

  // ---- Board interface, in this order -------------------------------------
  virtual tvr::BOOL LoadState(CTVRRegistry& reg);
  virtual tvr::BOOL SaveState(CTVRRegistry& reg);
  virtual void Config(tvr::BYTE code, tvr::BYTE code1, tvr::BYTE* data, tvr::DWORD length);
  virtual void Write(tvr::BYTE* data, tvr::DWORD length);
  virtual void Read(tvr::DWORD count);
  virtual void Escape(tvr::DWORD code, tvr::BYTE* data, tvr::DWORD length);
  virtual tvr::BOOL Connect();                                  // base: "This operation is not implemented."
  virtual tvr::BOOL Disconnect();                               // base: "This operation is not implemented."
  virtual tvr::BOOL Send(tvr::BYTE* frame, tvr::DWORD length);  // base: FALSE
  virtual void OnScriptStop();
  // The settings window (board_setting.h). HasSettings enables the Settings
  // command and must be cheap; GetSettings describes every setting with its
  // current value and fills the lists of choices now, for the window about to
  // open; SetSetting takes a value chosen with OK (FALSE: refused). Boards keep
  // the values in the document's section with their LoadState and SaveState.
  // Base: no settings.
  virtual tvr::BOOL HasSettings() const;
  virtual void GetSettings(std::vector<CTVRBoardSetting>& settings);
  virtual tvr::BOOL SetSetting(const std::string& name, const std::string& value);

  // ---- State a board reads (UI thread) ----------------------------------------
  tvr::BOOL IsConnected() const;
  tvr::BOOL IsRunning() const;        // a script runs (or a one-off command is out)
  tvr::BOOL IsWaitingAnswer() const;  // a frame awaits its answer
  tvr::BOOL IsReadOnly() const;       // the script cannot be edited
  tvr::BOOL IsTraceOn() const;        // ".trace off" has not silenced the trace
  // The document's response-chain switch (".getresponse(on)", tavric-run's
  // --get-response; off by default): a board for card readers then follows a
  // 61xx answer with GET RESPONSE and repeats a 6Cxx command with Le = xx.
  tvr::BOOL IsGetResponseOn() const;
  EScriptType GetScriptType() const;
  tvr::DWORD GetCommandType() const;  // 0 script statement, 1 one-off command
  // The Delay Options dialog's values, applied by the board to its link.
  const CTVRDelayOptions& GetDelayOptions() const;
  CTVRProtocol* GetProtocol() const;  // the selected protocol, or null; not owned
  CTVRCrypto* GetCrypto() const;      // the cyphering object, or null; not owned

  // ---- Talking back: each posts a named message to the document's window ----
  // (from any thread; the bytes are copied). GetDummyWindow()->GetSafeHwnd()
  // is that window, for SendMessage and the helpers of messages.h.
  CTVRDummyWnd* GetDummyWindow();
  void ReportAnswer(const tvr::BYTE* answer, tvr::DWORD length);  // WM_RECV_ANSWER
  // The answer with its round-trip time on the monotonic clock, from the frame
  // handed to the link to the answer complete (WM_RECV_TIMED_ANSWER).
  void ReportAnswer(const tvr::BYTE* answer, tvr::DWORD length, std::chrono::nanoseconds roundTrip);
  void ReportComment(const std::string& text, int kind);  // WM_RECV_COMMENTS
  void ReportError();                                     // WM_RECV_ERROR
  void ReportBoardDisconnected();                         // WM_RECV_BOARD_DISCONNECTED
  void ReportCardRemoved(tvr::WPARAM slot);               // WM_RECV_CARD_REMOVED
  void ReportEndCommand();                                // WM_END_COMMAND

  // ---- CTVRDocument and command routing ------------------------------------
  tvr::BOOL OnNewDocument() override;
  void DeleteContents() override;
  void SetTitle(const std::string& text) override;
  tvr::BOOL OnCmdMsg(tvr::UINT nID, int nCode, void* pExtra, void* pHandlerInfo) override;

 private:
  // Everything else of the document (its script, run, trace, settings and
  // the host's operations on them) is the host's: src/document/board_doc_private.h.
  friend class CTVRBoardDocPrivate;
  std::unique_ptr<CTVRBoardDocPrivate> d;
};

// The reader document: one open reader under test, with its script, its run,
// its trace and the board interface that board plug-ins override.
//
// A board plug-in derives one class per reader type, overrides at least
// Connect, Disconnect and Send, declares it with TVR_DECLARE_DYNCREATE and
// registers it with AddBoardType. The reader talks back through the named
// messages of messages.h, addressed to GetDummyWindow()->GetSafeHwnd() or
// GetActiveBoard().
#pragma once

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
class CTVRTraceLog;
// The document's parts, private to the host: plug-ins see them only through
// the document's own operations.
class CTVRLineStore;
class CTVRInterpreter;
class CTVRRunController;
class CTVRBoardDocSink;

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

  // ---- Public queries -----------------------------------------------------
  tvr::BOOL IsConnected() const { return m_bConnected; }
  // The run's state, kept by the run controller.
  tvr::BOOL IsRunning() const;
  tvr::BOOL IsWaitingAnswer() const;  // a frame awaits its answer
  tvr::BOOL IsTraceOn() const;
  tvr::DWORD GetCommandType() const;  // 0 script statement, 1 one-off command
  tvr::BOOL IsReadOnly() const { return m_bReadOnly; }
  EScriptType GetScriptType() const { return m_eScriptType; }
  CTVRDummyWnd* GetDummyWindow() { return &m_DummyWnd; }

  // ---- Named-message handlers ---------------------------------------------
  void OnSendCommand(tvr::BYTE* bytes, tvr::DWORD count);
  void OnSendApdu(tvr::BYTE* bytes, tvr::DWORD count);
  void OnSendRawdata(tvr::BYTE* bytes, tvr::DWORD count);
  void OnCommandType(tvr::WPARAM kind, tvr::LPARAM ignored);
  void OnEndCommand(tvr::WPARAM, tvr::LPARAM);
  void OnReceiveAnswer(tvr::BYTE* answer, tvr::DWORD length);
  void OnReceiveComments(const char* text, tvr::LPARAM kind);
  void OnReceiveError();
  void OnReceiveBoardDisconnected();
  void OnReceiveCardRemoved(tvr::WPARAM slot);
  void OnLpb();
  void OnLpbMsg();

  // ---- Reader commands ----------------------------------------------------
  void OnReaderConnect();
  void OnReaderDisconnect();
  void OnReaderSettings();

  // ---- Script line store --------------------------------------------------
  int GetLineCount() const;
  int GetLineLength(int line) const;
  std::string GetLine(int line) const;
  tvr::DWORD GetLineState(int line) const;
  void SetLine(int line, const std::string& text);
  void SetLineState(int line, tvr::DWORD state);
  void InsertLine(int line, const std::string& text, tvr::DWORD state);
  void RemoveLine(int line);
  // The same as InsertLine for each text in turn, and RemoveLine count times,
  // in one move of the lists: a paste or an erase of many lines stays linear.
  void InsertLines(int line, const std::vector<std::string>& texts);
  void RemoveLines(int line, int count);
  void ReparseLine(int line);
  std::pair<int, int> GetTextExtent();  // (width, height)
  void GotoFirstChunk(int line);
  int GetNextChunk(std::string& chunk, tvr::DWORD colours[2], tvr::DWORD ignored = 0);
  int NextLine();
  int GotoNextCommand();
  int SetNextCommand(int line);
  // Replaces the script by these lines, classified from the top, and places the
  // next-statement mark (the reading half of the script file format).
  void SetScriptLines(const std::vector<std::string>& lines);
  // The line where the next statement is looked for or begins, and the line
  // that carries the next-statement mark.
  int GetCurrentLine() const;
  int GetMarkedLine() const;

  // ---- Interpreter, sending, run control ------------------------------------
  int SendCurrentCommand();
  tvr::BOOL SendData(tvr::BYTE* bytes, tvr::DWORD count, EScriptType type);
  tvr::DWORD PrepareData(tvr::BYTE* out, tvr::DWORD capacity, tvr::BYTE* bytes, tvr::DWORD count, EScriptType type);
  void EndCommand();

  void OnScriptStart();
  void OnScriptStep();
  void OnScriptLoop();
  void OnScriptRawdata();
  void OnScriptCommands();
  void OnScriptApdu();
  void OnDelayCmd();
  CTVRDelayOptions& GetDelayOptions() { return m_DelayOptions; }
  tvr::BOOL IsStepMode() const;
  void SetStepMode(tvr::BOOL step);
  tvr::BOOL IsLoopMode() const;
  void SetLoopMode(tvr::BOOL loop);
  // ".info" directives since the Loop command or ".loop" last reset the count.
  int GetLoopCounter() const;
  void SetLoopCounter(int count);
  // The answer opcode that completes the command sent last.
  tvr::BYTE GetExpectedOpcode() const;
  void SetExpectedOpcode(tvr::BYTE opcode);
  // Set by ".escape": the next answer is the escape's.
  tvr::BOOL IsEscapeAnswerExpected() const;
  void SetEscapeAnswerExpected(tvr::BOOL expected);

  // ---- Protocol selection -------------------------------------------------
  void SelectProtocol(const std::string& name, tvr::BYTE standard);
  void OnProtocols(tvr::UINT nID);
  // Builds the Protocol menu in place of its placeholder (a menu item whose
  // m_pMenu is the shell's menu editor); elsewhere, enables the element once a
  // menu has been built.
  void OnUpdateProtocols(CTVRCmdUI* pCmdUI);
  CTVRProtocol* GetProtocol() const { return m_pProtocol; }
  int GetProtocolMenuCount() const { return m_nProtocolMenuCount; }
  // A menu rebuilt from its resource holds the placeholder alone again: 1.
  void SetProtocolMenuCount(int count) { m_nProtocolMenuCount = count; }
  tvr::BOOL OnCmdMsg(tvr::UINT nID, int nCode, void* pExtra, void* pHandlerInfo) override;

  // ---- Quick commands -----------------------------------------------------
  void OnCmdSetting();
  void OnCmd1() { SendQuickCommand(0); }
  void OnCmd2() { SendQuickCommand(1); }
  void OnCmd3() { SendQuickCommand(2); }
  void OnCmd4() { SendQuickCommand(3); }
  void OnCmd5() { SendQuickCommand(4); }
  // Command n + 1 (n from 0) as a one-off command to the active reader document.
  void SendQuickCommand(int n);
  // Enabled when connected and the text has at least two characters.
  void OnUpdateQuickCommand(int n, CTVRCmdUI* pCmdUI);
  // The committed texts of Command 1 to Command 5 (n from 0).
  const std::string& GetQuickCommand(int n) const;
  void SetQuickCommand(int n, const std::string& text);
  std::vector<std::string> GetQuickCommands() const;

  // ---- Trace --------------------------------------------------------------
  void NotifyMessage(const tvr::BYTE* data, tvr::DWORD count, int kind);
  void NotifyMessage(const std::string& text, int kind) {
    NotifyMessage(reinterpret_cast<const tvr::BYTE*>(text.data()), tvr::DWORD(text.size()), kind);
  }
  void NotifyMessageForReload(const std::string& text);
  void NotifyMessageToSwitchHexToChar(const std::string& text);
  void OnEditClearAll();
  void OnLogFileSave();
  void OnLogFileSaveAs();
  void OnHexToASCII();
  CTVRTraceLog& GetTraceLog() { return *m_pTraceLog; }
  void OnCrypto();
  tvr::BOOL IsHexDisplay() const { return m_bHexDisplay; }
  void SetHexDisplay(tvr::BOOL hex) { m_bHexDisplay = hex; }
  // The trace view's whole text, kept for a document that closes and reopens.
  const std::string& GetKeptTrace() const { return m_strKeptTrace; }
  void SetKeptTrace(const std::string& text) { m_strKeptTrace = text; }
  // The register tool waiting for answers, if one is open.
  CTVRAnswerHook* GetRegisterDialog() const { return m_pRegisterDialog; }
  void SetRegisterDialog(CTVRAnswerHook* pHook) { m_pRegisterDialog = pHook; }

  // ---- Document life ------------------------------------------------------
  tvr::BOOL OnNewDocument() override;
  void DeleteContents() override;
  void SetTitle(const std::string& text) override;
  // Reads a script file (lines up to LF, a CR before it dropped); FALSE when
  // the file cannot be read, the script then unchanged.
  tvr::BOOL OnOpenDocument(const std::string& path);
  tvr::BOOL OnSaveDocument(const std::string& path);
  // Open, Save and Save As of the script (".cmd" files); a chosen path joins
  // the recent-file list.
  void OnFileOpen();
  void OnFileSave();
  void OnFileSaveAs();
  // Saves the documents of the first board type, closes and reopens them with
  // empty scripts and their traces kept (the workspace's cycle).
  void OnNewScriptFile();
  // FALSE when the user keeps the document: without a saved state, and unless
  // the session is ending, closing asks first.
  tvr::BOOL CanCloseDocument();
  // Closes the document after CanCloseDocument: a document of a template is
  // deleted (do not touch it after TRUE); one without a template is left to
  // its owner. FALSE when the user keeps it.
  tvr::BOOL OnCloseDocument();
  // The platform's save-modified question: TRUE to go on (saved, or changes
  // dropped), FALSE when the user cancels or the save fails.
  tvr::BOOL SaveModified();
  const std::string& GetCaption() const { return m_strCaption; }
  // "noname" until the script is saved or opened.
  const std::string& GetScriptPath() const { return m_strScriptPath; }
  void SetScriptPath(const std::string& path) { m_strScriptPath = path; }
  // The register setting last chosen in the register tool.
  const std::string& GetLastRegSetting() const { return m_strLastRegSetting; }
  void SetLastRegSetting(const std::string& label) { m_strLastRegSetting = label; }
  // SaveState has run: the document closes without a question.
  tvr::BOOL IsStateSaved() const { return m_bStateSaved; }

  // The parts the document is made of, for the host's own code and tests.
  CTVRLineStore& GetLineStore() { return *m_pLineStore; }
  CTVRInterpreter& GetInterpreter() { return *m_pInterpreter; }
  CTVRRunController& GetRunController() { return *m_pRunController; }

  // ---- State that board classes read and change ----------------------------
  tvr::BOOL m_bConnected = FALSE;
  tvr::BOOL m_bConnectEnabled = TRUE;
  tvr::BOOL m_bReadOnly = FALSE;
  EScriptType m_eScriptType = SCRIPT_RAWDATA;
  tvr::BOOL m_bBeepOnError = TRUE;
  tvr::BOOL m_bAutoPause = TRUE;
  CTVRProtocol* m_pProtocol = nullptr;  // not owned
  CTVRCrypto* m_pCrypto = nullptr;      // not owned
  CTVRDummyWnd m_DummyWnd;
  CTVRDelayOptions m_DelayOptions;  // applied by the board to its link
  tvr::BYTE m_byMode = 0;           // kept for the board class, stored with the settings

 private:
  friend class CTVRDummyWnd;

  // Handler of the private continuation message: starts the next statement
  // unless the run has been stopped or restarted since it was posted.
  void OnContinueRun(tvr::WPARAM serial);

  // The parts: the sink first, as the other two are made over it.
  std::unique_ptr<CTVRBoardDocSink> m_pSink;
  std::unique_ptr<CTVRLineStore> m_pLineStore;
  std::unique_ptr<CTVRInterpreter> m_pInterpreter;
  std::unique_ptr<CTVRTraceLog> m_pTraceLog;
  // Run control: the run's state and modes, the expected answer opcode.
  std::unique_ptr<CTVRRunController> m_pRunController;

  // Persistence
  std::string m_strScriptPath;
  std::string m_strLastRegSetting;
  tvr::BOOL m_bStateSaved = FALSE;
  std::string m_strCaption;

  // Protocol selection
  int m_nProtocolMenuCount = 1;

  // Trace
  tvr::BOOL m_bHexDisplay = TRUE;
  std::string m_strKeptTrace;

  // Register tool
  CTVRAnswerHook* m_pRegisterDialog = nullptr;

  // Quick commands: the committed texts of Command 1 to Command 5
  std::string m_strQuickCommands[5];
};

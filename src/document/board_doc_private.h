// The reader document's private part: its fields and every operation the host
// performs on it (the named-message handlers, the line operations, the
// statement step, sending, run control, protocol selection, the quick
// commands, the trace, the script files). Board plug-ins see only
// CTVRBoardDoc's public face; the host's own code reaches the rest with
// CTVRBoardDocPrivate::Of(doc). The operations are defined in the
// board_doc*.cpp files by subject.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <tavric/board_doc.h>
#include <tavric/dummy_wnd.h>

class CTVRCmdUI;
class CTVRTraceLog;
class CTVRLineStore;
class CTVRInterpreter;
class CTVRRunController;
class CTVRBoardDocSink;
class CTVRHostContext;
class CTVRRoundTripStats;
class CTVRExpectation;
struct CTVRAnswerSeen;
class CTVRBoardSettingsDlg;

// Tells the document's views, when it has any: a headless run has none, and
// the look is made before the call, on the several notices of every statement.
inline void TellViews(CTVRDocument& doc, tvr::LPARAM hint, void* pHint) {
  if (!doc.GetViews().empty()) doc.UpdateAllViews(nullptr, hint, pHint);
}

class CTVRBoardDocPrivate {
 public:
  explicit CTVRBoardDocPrivate(CTVRBoardDoc& doc);
  ~CTVRBoardDocPrivate();
  CTVRBoardDocPrivate(const CTVRBoardDocPrivate&) = delete;
  CTVRBoardDocPrivate& operator=(const CTVRBoardDocPrivate&) = delete;

  // The private part of a document (of any board class): the host's one way
  // to the rest of the document, CTVRBoardDocPrivate::Of(*pDoc).GetLineCount().
  static CTVRBoardDocPrivate& Of(CTVRBoardDoc& doc) { return *doc.d; }
  static const CTVRBoardDocPrivate& Of(const CTVRBoardDoc& doc) { return *doc.d; }

  // ---- Named-message handlers ---------------------------------------------
  void OnSendCommand(tvr::BYTE* bytes, tvr::DWORD count);
  void OnSendApdu(tvr::BYTE* bytes, tvr::DWORD count);
  void OnSendRawdata(tvr::BYTE* bytes, tvr::DWORD count);
  void OnCommandType(tvr::WPARAM kind, tvr::LPARAM ignored);
  void OnEndCommand(tvr::WPARAM, tvr::LPARAM);
  // An answer, with the round-trip time its board measured (nanoseconds; a
  // negative time: none).
  void OnReceiveAnswer(tvr::BYTE* answer, tvr::DWORD length, std::int64_t roundTripNs = -1);
  void OnReceiveComments(const char* text, tvr::LPARAM kind);
  void OnReceiveError();
  void OnReceiveBoardDisconnected();
  void OnReceiveCardRemoved(tvr::WPARAM slot);
  // The board's settings changed: the settings window open on the document asks again.
  void OnReceiveSettingsChanged();
  void OnLpb();
  void OnLpbMsg();
  // Handler of the private continuation message: starts the next statement
  // unless the run has been stopped or restarted since it was posted.
  void OnContinueRun(tvr::WPARAM serial);

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
  bool CheckExpectationsAllMet();
  // Runs the next statement, and those that end at once after it (see EndCommand).
  void RunStatements();

  void OnScriptStart();
  void OnScriptStep();
  void OnScriptLoop();
  void OnScriptRawdata();
  void OnScriptCommands();
  void OnScriptApdu();
  void OnDelayCmd();
  // The run's modes, kept by the run controller.
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
  // The protocol's description files: beside its plug-in, else in the data folder.
  void LoadDescriptionFiles(CTVRProtocol& protocol);
  // Builds the Protocol menu in place of its placeholder (a menu item whose
  // m_pMenu is the shell's menu editor); elsewhere, enables the element once a
  // menu has been built.
  void OnUpdateProtocols(CTVRCmdUI* pCmdUI);
  int GetProtocolMenuCount() const { return m_nProtocolMenuCount; }
  // A menu rebuilt from its resource holds the placeholder alone again: 1.
  void SetProtocolMenuCount(int count) { m_nProtocolMenuCount = count; }

  // ---- Quick commands -----------------------------------------------------
  void OnCmdSetting();
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
  // One record of a kind other than the answer's bytes, its bytes the two parts joined.
  void NotifyJoined(const tvr::BYTE* first, tvr::DWORD firstCount, const tvr::BYTE* second, tvr::DWORD secondCount,
                    int kind);
  void NotifyMessageForReload(const std::string& text);
  void NotifyMessageToSwitchHexToChar(const std::string& text);
  void OnEditClearAll();
  void OnLogFileSave();
  void OnLogFileSaveAs();
  void OnHexToASCII();
  CTVRTraceLog& GetTraceLog() { return *m_pTraceLog; }
  // The round-trip time of the record being handed to the views now
  // (CTVRTraceLog::NO_TIME for every record but a timed answer's).
  std::int64_t GetNotifiedTime() const { return m_nNotifiedTime; }
  // Where the round-trip times of script statements' answers are counted, by
  // the statement's first line (not owned; null, the default: not counted).
  void SetRoundTripStats(CTVRRoundTripStats* pStats) { m_pRoundTripStats = pStats; }
  CTVRRoundTripStats* GetRoundTripStats() const { return m_pRoundTripStats; }
  // Told of every expectation checked, with its line (from 0) and the answer
  // it read (empty, the default: nobody is told). A report and the golden
  // comparison's masks are made from it.
  using ExpectationObserver =
      std::function<void(int line, const CTVRExpectation& expectation, const CTVRAnswerSeen& seen, bool met)>;
  void SetExpectationObserver(ExpectationObserver observer) { m_onExpectation = std::move(observer); }
  const ExpectationObserver& GetExpectationObserver() const { return m_onExpectation; }
  void OnCrypto();
  tvr::BOOL IsHexDisplay() const { return m_bHexDisplay; }
  void SetHexDisplay(tvr::BOOL hex) { m_bHexDisplay = hex; }
  // The trace view's whole text, kept for a document that closes and reopens.
  const std::string& GetKeptTrace() const { return m_strKeptTrace; }
  void SetKeptTrace(const std::string& text) { m_strKeptTrace = text; }
  // The register tool waiting for answers, if one is open.
  CTVRAnswerHook* GetRegisterDialog() const { return m_pRegisterDialog; }
  void SetRegisterDialog(CTVRAnswerHook* pHook) { m_pRegisterDialog = pHook; }

  // ---- Host context ---------------------------------------------------------
  // The program's context (registries, prompts, workspace), set once by the
  // template that creates the document, or by whoever makes one directly.
  void SetHostContext(CTVRHostContext* pContext) { m_pHostContext = pContext; }
  CTVRHostContext* GetHostContext() const { return m_pHostContext; }

  // ---- Document life ------------------------------------------------------
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
  const CTVRRunController& GetRunController() const { return *m_pRunController; }

  // ---- The document's state --------------------------------------------------
  CTVRBoardDoc& m_Doc;  // the public face this part belongs to
  tvr::BOOL m_bConnected = FALSE;
  tvr::BOOL m_bConnectEnabled = TRUE;
  tvr::BOOL m_bReadOnly = FALSE;
  EScriptType m_eScriptType = SCRIPT_RAWDATA;
  tvr::BOOL m_bBeepOnError = TRUE;
  tvr::BOOL m_bAutoPause = TRUE;
  CTVRProtocol* m_pProtocol = nullptr;  // not owned
  CTVRCrypto* m_pCrypto = nullptr;      // not owned
  CTVRDummyWnd m_DummyWnd;
  CTVRDelayOptions m_DelayOptions;   // applied by the board to its link
  tvr::BYTE m_byMode = 0;            // stored with the settings
  tvr::BOOL m_bGetResponse = FALSE;  // the response-chain switch, stored as "GetResponse"

  // Run control: the run's state and modes, the expected answer opcode. Made
  // before the sink, which reads two of its fields in place.
  std::unique_ptr<CTVRRunController> m_pRunController;

  // The parts: the sink first, as the other two are made over it.
  std::unique_ptr<CTVRBoardDocSink> m_pSink;
  std::unique_ptr<CTVRLineStore> m_pLineStore;
  std::unique_ptr<CTVRInterpreter> m_pInterpreter;
  std::unique_ptr<CTVRTraceLog> m_pTraceLog;

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
  // Round-trip times: of the answer being decoded, of the record being
  // notified, and where they are counted.
  std::int64_t m_nAnswerTime = -1;
  std::int64_t m_nNotifiedTime = -1;
  CTVRRoundTripStats* m_pRoundTripStats = nullptr;
  ExpectationObserver m_onExpectation;

  // Register tool
  CTVRAnswerHook* m_pRegisterDialog = nullptr;
  // The settings window open on the document, if one is (not owned).
  CTVRBoardSettingsDlg* m_pOpenSettings = nullptr;

  // Host context (not owned)
  CTVRHostContext* m_pHostContext = nullptr;

  // Quick commands: the committed texts of Command 1 to Command 5
  std::string m_strQuickCommands[5];
};

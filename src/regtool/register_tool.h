// What the register management dialog does, without its widgets: the index
// and the chosen parameter file, one value state per register row, the
// sequence button, reading and writing through the document (raw frames with
// SendData, configuration calls with Config) and the answer hook that the
// answer decoder calls before its own work. The dialog in the shell shows this
// state and forwards the user's clicks and edits; tests drive it directly.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include <tavric/board_doc.h>

#include "regtool/reg_param_file.h"

class CRegisterTool : public CTVRAnswerHook {
 public:
  // The state of one row: what the row shows of its register.
  struct CRow {
    std::string m_strHexText;  // at most 2 characters once validated; "XX" after an error answer
    tvr::BYTE m_byValue = 0;
    tvr::BYTE m_BitState[8] = {};  // bit 0 ... bit 7, each 0 or 1
    tvr::BOOL m_bErrorShown = FALSE;
    bool m_bVisible = true;  // sub-register rule; a hidden row is also disabled
  };

  // The named values that a right click on a bit offers.
  struct CPopup {
    std::vector<std::string> m_Items;  // "No change", then the value texts
    tvr::BYTE m_byLowBit = 0;
    tvr::BYTE m_byHighBit = 0;
  };

  // The tool of this document: it becomes the document's answer hook.
  explicit CRegisterTool(CTVRBoardDoc& doc);
  ~CRegisterTool() override;
  CRegisterTool(const CRegisterTool&) = delete;
  CRegisterTool& operator=(const CRegisterTool&) = delete;

  // Opening: loads the index and the entry whose label is the document's last
  // register setting (the last that matches). Returns the selected entry, or
  // -1 when none matches.
  int Open();
  // Opening with the index of another folder (tests).
  int Open(const std::string& folder);
  // Chooses index entry `index`: remembered in the document, loaded, and one
  // row made per register. FALSE when the file cannot be loaded (the rows stay).
  tvr::BOOL SelectParamFile(int index);

  // ---- Rows -------------------------------------------------------------------
  const CRegParamFile& GetParamFile() const { return m_ParamFile; }
  int GetRowCount() const { return int(m_Rows.size()); }
  const CRow& GetRow(int row) const { return m_Rows[std::size_t(row)]; }
  const RegisterDef& GetRegister(int row) const { return m_ParamFile.GetRegisters()[std::size_t(row)]; }
  bool CanRead(int row) const { return GetRegister(row).access != RegAccess::WriteOnly; }
  bool CanWrite(int row) const { return GetRegister(row).access != RegAccess::ReadOnly; }

  // The hex field was edited: the text, then the validation.
  void SetHexText(int row, const std::string& text);
  // Double click on bit n (ignored for a read-only register).
  void ToggleBit(int row, int bit);
  // Right click on bit n: the values of the bit fields that cover it; FALSE
  // (no popup) for a read-only register or a bit no field covers.
  tvr::BOOL GetPopup(int row, int bit, CPopup& popup) const;
  // Double click on a popup item. TRUE when the popup closes (a value applied
  // or "No change"); FALSE with a message when the text holds no value.
  tvr::BOOL ApplyValue(int row, const std::string& item, tvr::BYTE lowBit, tvr::BYTE highBit);

  // ---- Reading and writing ------------------------------------------------------
  void OnReadRegister(int row);
  void OnWriteRegister(int row);
  // The sequence button.
  void OnReadNext();
  const std::string& GetSequenceText() const { return m_strSequenceText; }
  bool IsSequenceEnabled() const { return !m_ParamFile.GetLabels().empty(); }

  // ---- The answer hook ------------------------------------------------------------
  tvr::BOOL IsWaitingAnswer() const override { return m_bWaitingAnswer && !m_Rows.empty(); }
  void OnAnswer(const tvr::BYTE* answer, tvr::DWORD length) override;
  tvr::BYTE GetAwaitedNumber() const { return m_byAwaitedNumber; }
  int GetNextToRead() const { return m_byNextToRead; }

  // Told when a row's state changes (an answer, a sub-register shown or
  // hidden) and when the rows are made again.
  std::function<void(int row)> m_OnRowChanged;
  std::function<void()> m_OnRowsChanged;

 private:
  void ValidateHex(int row);
  void OnRegisterAnswer(int row, const tvr::BYTE* answer, tvr::DWORD length);
  void UpdateSubRegisters(int row);
  void Execute(int row, const std::string& text, bool read);
  void SetValue(int row, tvr::BYTE value);
  void Changed(int row) {
    if (m_OnRowChanged) m_OnRowChanged(row);
  }

  CTVRBoardDoc& m_Doc;
  CRegParamFile m_ParamFile;
  std::vector<CRow> m_Rows;
  tvr::BYTE m_byNextToRead = 0;
  tvr::BOOL m_bWaitingAnswer = FALSE;
  tvr::BYTE m_byAwaitedNumber = 0;
  std::string m_strSequenceText;
};

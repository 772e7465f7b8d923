// Values typed into a board's settings window (any bytes: a pasted text, a
// number field bypassed by a hand-edited value), handed to the window's OK as
// the desktop program does: one value per line for a choice, a number and a
// text, checked against the number's bounds and given to the board.
#include <cstddef>
#include <cstdint>
#include <string>

#include "contract/host_context.h"
#include "document/board_doc_private.h"
#include "document/board_settings_dlg.h"
#include "fuzz_support.h"
#include "platform/user_prompts.h"
#include "test_board.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  tvr_fuzz::InitOnce();
  static CTVRPromptRecorder prompts{tvr_fuzz::Context()};  // the refusals are message boxes
  prompts.m_Messages.clear();

  CTVRTestBoard doc;
  CTVRBoardDocPrivate::Of(doc).SetHostContext(&tvr_fuzz::Context());
  CTVRBoardSetting choice;
  choice.m_strName = "Port";
  choice.m_eKind = CTVRBoardSetting::SETTING_CHOICE;
  choice.m_Choices = {"/dev/ttyS0"};
  CTVRBoardSetting number;
  number.m_strName = "Speed";
  number.m_eKind = CTVRBoardSetting::SETTING_NUMBER;
  number.m_nMin = -5;
  number.m_nMax = 4000000;
  number.m_strValue = "9600";
  CTVRBoardSetting text;
  text.m_strName = "Note";
  doc.m_Settings = {choice, number, text};

  CTVRBoardSettingsDlg dlg(doc);
  dlg.Open();
  const std::string input(reinterpret_cast<const char*>(data), size);
  std::size_t start = 0;
  for (std::size_t field = 0; field < 4 && start <= input.size(); ++field) {
    const std::size_t end = input.find('\n', start);
    dlg.SetValue(field, input.substr(start, end == std::string::npos ? std::string::npos : end - start));
    if (end == std::string::npos) break;
    start = end + 1;
  }
  dlg.OnOK();
  return 0;
}

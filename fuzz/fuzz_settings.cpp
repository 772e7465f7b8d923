// The settings file (any bytes: a truncated write, a hand edit, another
// program's file) read back into a reader document, as the next start-up
// does: every value of the document's section read with the types it
// expects, wrong types and missing values included.
#include <cstddef>
#include <cstdint>
#include <string>

#include <tavric/registry.h>

#include "contract/host_context.h"
#include "document/board_doc_private.h"
#include "fuzz_support.h"
#include "test_board.h"
#include "test_protocol.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  tvr_fuzz::WriteSettingsFile(data, size);
  static CTVRTestProtocol protocol;
  static bool registered = [] {
    protocol.SetName("Verta");
    tvr_fuzz::Context().Host().AddProtocol(new CTVRTestProtocol);
    return true;
  }();
  (void)registered;

  CTVRTestBoard doc;
  CTVRBoardDocPrivate::Of(doc).SetHostContext(&tvr_fuzz::Context());
  doc.OnNewDocument();
  CTVRRegistry reg(FALSE, TRUE);
  for (const char* section : {"Fuzz\\Doc0", "Fuzz\\Doc1"}) {
    if (!reg.Open(CTVRRegistry::GetRegSectionPath(section))) continue;
    doc.LoadState(reg);
    int number = 0;
    tvr::DWORD word = 0;
    std::string text;
    std::vector<tvr::BYTE> bytes;
    reg.Read("NbDoc", number);
    reg.Read("Command", word);
    reg.Read("ScriptPath", text);
    reg.Read("Keys", bytes);
  }
  tvr_fuzz::RunQueueBriefly(2);
  return 0;
}

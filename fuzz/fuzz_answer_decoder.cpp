// Answers from a reader (any bytes) through the answer decoder, with the
// shipped description files loaded and the document in the states a run
// puts it in: waiting or not, trace on or off, a script statement or a
// one-off command.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include <tavric/board_doc.h>

#include "contract/host_context.h"
#include "document/board_doc_private.h"
#include "document/run_controller.h"
#include "fuzz_support.h"
#include "run_state.h"
#include "test_board.h"
#include "test_protocol.h"

namespace {

CTVRTestProtocol& Protocol() {
  static CTVRTestProtocol* pProtocol = [] {
    auto* p = new CTVRTestProtocol;
    const std::string folder = tvr_fuzz::RunFolder();
    p->GetCmdCode()->LoadPath(folder + "/Command.txt");
    p->GetErrorCode()->LoadPath(folder + "/Error.txt");
    return p;
  }();
  return *pProtocol;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  tvr_fuzz::InitOnce();
  tvr_fuzz::CInput input(data, size);
  const uint8_t mode = input.Byte();

  CTVRTestBoard doc;
  CTVRBoardDocPrivate::Of(doc).SetHostContext(&tvr_fuzz::Context());
  doc.OnNewDocument();
  CTVRBoardDocPrivate::Of(doc).m_pProtocol = &Protocol();
  tvr_fuzz::Context().Host().SetActiveDocument(&doc);
  CTVRBoardDocPrivate::Of(doc).m_bConnected = TRUE;
  CTVRBoardDocPrivate::Of(doc).GetRunController().SetTraceOn((mode & 1) ? FALSE : TRUE);
  tvr_test::SetRun(doc, false, (mode & 2) != 0);
  CTVRBoardDocPrivate::Of(doc).GetRunController().OnCommandType((mode & 4) ? 1 : 0);
  CTVRBoardDocPrivate::Of(doc).SetLoopMode((mode & 8) ? TRUE : FALSE);
  CTVRBoardDocPrivate::Of(doc).SetHexDisplay((mode & 16) ? FALSE : TRUE);

  // Several answers in a row, each preceded by its length.
  while (!input.AtEnd()) {
    std::string answer = input.Take(input.Byte());
    std::vector<tvr::BYTE> bytes(answer.begin(), answer.end());
    CTVRBoardDocPrivate::Of(doc).OnReceiveAnswer(bytes.empty() ? nullptr : bytes.data(), tvr::DWORD(bytes.size()));
  }
  tvr_fuzz::RunQueueBriefly(5);
  tvr_fuzz::Context().Host().SetActiveDocument(nullptr);
  return 0;
}

// A script file as a user writes it (any bytes), read into the line store,
// then run through the interpreter
// against a board that echoes every frame as an answer or one that answers
// nothing, in each script type.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include <tavric/board_doc.h>

#include "contract/host_context.h"
#include "document/board_doc_private.h"
#include "document/line_store.h"
#include "fuzz_support.h"
#include "test_board.h"
#include "test_protocol.h"

namespace {

// Messages handled per input: a statement takes one or two, so a script
// runs to its end, and a looping one goes round a few times before it is
// stopped. Counted, not timed: no input waits out a clock, and a replayed
// input runs exactly as far as it ran.
constexpr std::size_t kMessageBudget = 200;
constexpr std::size_t kMessagesPerLine = 2;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  tvr_fuzz::InitOnce();
  tvr_fuzz::CInput input(data, size);
  const uint8_t mode = input.Byte();

  static CTVRTestProtocol protocol;
  CTVRTestBoard doc;
  CTVRBoardDocPrivate::Of(doc).SetHostContext(&tvr_fuzz::Context());
  doc.OnNewDocument();
  CTVRBoardDocPrivate::Of(doc).m_pProtocol = &protocol;
  if (mode & 1) doc.SetResponder(CTVRTestBoard::EchoResponder());
  tvr_fuzz::Context().Host().SetActiveDocument(&doc);

  // Taken as a script file's bytes are: line ends of either kind.
  CTVRBoardDocPrivate::Of(doc).GetLineStore().SetScriptText(input.Rest());
  CTVRBoardDocPrivate::Of(doc).OnReaderConnect();
  switch ((mode >> 1) & 3) {
    case 0:
      CTVRBoardDocPrivate::Of(doc).OnScriptRawdata();
      break;
    case 1:
      CTVRBoardDocPrivate::Of(doc).OnScriptApdu();
      break;
    default:
      CTVRBoardDocPrivate::Of(doc).OnScriptCommands();
      break;
  }
  if (mode & 8) CTVRBoardDocPrivate::Of(doc).OnScriptLoop();
  if (mode & 16)
    CTVRBoardDocPrivate::Of(doc).OnScriptStep();
  else
    CTVRBoardDocPrivate::Of(doc).OnScriptStart();
  const std::size_t budget =
      kMessageBudget + kMessagesPerLine * std::size_t(CTVRBoardDocPrivate::Of(doc).GetLineStore().GetLineCount());
  tvr_fuzz::RunQueueFor(budget);
  if (doc.IsRunning()) doc.OnScriptStop();
  CTVRBoardDocPrivate::Of(doc).OnReaderDisconnect();
  tvr_fuzz::RunQueueFor(budget);
  tvr_fuzz::Context().Host().SetActiveDocument(nullptr);
  return 0;
}

// A kept trace text (any bytes: it may come from an older program or a
// hand-edited settings value) reloaded into a document, in both display
// modes, and switched between hexadecimal and characters.
#include <cstddef>
#include <cstdint>
#include <string>

#include <tavric/board_doc.h>

#include "document/board_doc_private.h"
#include "fuzz_support.h"
#include "test_board.h"
#include "trace/trace_reloader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  tvr_fuzz::InitOnce();
  const std::string text(reinterpret_cast<const char*>(data), size);
  std::size_t total = 0;
  for (const auto& record : CTVRTraceReloader::Parse(text)) total += record.m_strData.size();
  for (bool hex : {true, false})
    for (const auto& record : CTVRTraceReloader::ParseSwitchingHexToChar(text, hex)) total += record.m_strData.size();

  CTVRTestBoard doc;
  CTVRBoardDocPrivate::Of(doc).SetHostContext(&tvr_fuzz::Context());
  doc.OnNewDocument();
  CTVRBoardDocPrivate::Of(doc).NotifyMessageForReload(text);
  CTVRBoardDocPrivate::Of(doc).OnHexToASCII();
  CTVRBoardDocPrivate::Of(doc).NotifyMessageToSwitchHexToChar(text);
  [[maybe_unused]] static volatile std::size_t sink;
  sink = total;
  return 0;
}

// Any answer in any layout: the answer decoder with each real protocol and its
// description files from the run folder. The first input byte picks the
// protocol, the second the document's state (script type, awaited answer,
// trace, loop mode, escape answer, loopback test), the rest is the answer,
// in a buffer of exactly its size so that a read past it shows.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include <tavric/board_doc.h>
#include <tavric/protocol.h>

#include "ccid_protocol.h"
#include "decode/protocol_family.h"
#include "document/board_doc_private.h"
#include "fuzz_support.h"
#include "kiro_protocol.h"
#include "lpb_protocol.h"
#include "pcsc_protocol.h"
#include "run_state.h"
#include "trace/trace_log.h"
#include "verta_protocol.h"

namespace {

// A protocol the family table names no family for: the message-code layout
// with tables it fills itself (none here), and codes read from the answer.
class CFuzzMessageCodeProtocol : public CTVRProtocol {
 public:
  CFuzzMessageCodeProtocol() { m_byHeaderLength = 1; }
  tvr::WORD GetMsgCode(tvr::BYTE* bytes, tvr::DWORD length, int) override {
    return length >= 2 ? tvr::WORD(bytes[0] << 8 | bytes[1]) : 0;
  }
  tvr::WORD GetExtraMsgCode(tvr::BYTE* answer, tvr::DWORD length, int) override {
    return length >= 4 ? tvr::WORD(answer[2] << 8 | answer[3]) : 0;
  }
};

struct CSetup {
  std::vector<std::unique_ptr<CTVRProtocol>> m_Protocols;
  std::unique_ptr<CTVRBoardDoc> m_pDoc;
};

CSetup& Setup() {
  static CSetup* setup = [] {
    tvr_fuzz::InitOnce();
    auto* s = new CSetup;
    s->m_Protocols.emplace_back(new CTVRVertaProtocol);
    s->m_Protocols.emplace_back(new CTVRPcscProtocol);
    s->m_Protocols.emplace_back(new CTVRCcidProtocol);
    s->m_Protocols.emplace_back(new CTVRKiroProtocol);
    s->m_Protocols.emplace_back(new CTVRLpbProtocol);
    s->m_Protocols.emplace_back(new CFuzzMessageCodeProtocol);
    const std::string folder = tvr_fuzz::RunFolder() + "/";
    for (auto& p : s->m_Protocols) {
      const CTVRProtocolFamily& family = CTVRProtocolFamily::ForProtocol(*p);
      if (family.GetCommandFile()) p->GetCmdCode()->LoadPath(folder + family.GetCommandFile());
      if (family.GetErrorFile()) p->GetErrorCode()->LoadPath(folder + family.GetErrorFile());
    }
    s->m_Protocols[4]->GetCmdCode()->LoadPath(folder + "lpbcmd.txt");
    s->m_Protocols[4]->GetErrorCode()->LoadPath(folder + "lpberr.txt");
    // No active document: the end of a statement and the next loopback step
    // are posted to no window, so nothing piles up between inputs.
    s->m_pDoc = std::make_unique<CTVRBoardDoc>();
    CTVRBoardDocPrivate::Of(*s->m_pDoc).SetHostContext(&tvr_fuzz::Context());
    return s;
  }();
  return *setup;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  CSetup& s = Setup();
  CTVRBoardDoc& doc = *s.m_pDoc;
  CTVRProtocol& protocol = *s.m_Protocols[data[0] % s.m_Protocols.size()];
  const uint8_t state = data[1];
  CTVRBoardDocPrivate::Of(doc).m_pProtocol = &protocol;
  CTVRBoardDocPrivate::Of(doc).m_eScriptType = EScriptType(state % 3);
  tvr_test::SetRun(doc, false, (state & 0x04) != 0);
  CTVRBoardDocPrivate::Of(doc).GetRunController().SetTraceOn(state & 0x08 ? TRUE : FALSE);
  CTVRBoardDocPrivate::Of(doc).SetLoopMode(state & 0x10 ? TRUE : FALSE);
  CTVRBoardDocPrivate::Of(doc).SetEscapeAnswerExpected(state & 0x20 ? TRUE : FALSE);
  CTVRBoardDocPrivate::Of(doc).GetRunController().OnCommandType(0);
  protocol.SetLpbActivated(tvr::BYTE(state >> 6));
  std::unique_ptr<tvr::BYTE[]> answer(new tvr::BYTE[size - 2 ? size - 2 : 1]);
  for (std::size_t i = 2; i < size; ++i) answer[i - 2] = data[i];
  CTVRBoardDocPrivate::Of(doc).OnReceiveAnswer(size > 2 ? answer.get() : nullptr, tvr::DWORD(size - 2));
  if (CTVRBoardDocPrivate::Of(doc).GetTraceLog().GetCount() > 10000) CTVRBoardDocPrivate::Of(doc).GetTraceLog().Clear();
  return 0;
}

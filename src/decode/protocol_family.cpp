#include "decode/protocol_family.h"

#include <iterator>

#include <tavric/board_doc.h>
#include <tavric/cmd_code.h>
#include <tavric/protocol.h>
#include <tavric/trace_record.h>

#include "decode/answer_sink.h"
#include "decode/decoder_texts.h"
#include "decode/generic_family.h"
#include "decode/kiro_family.h"
#include "decode/loopback_family.h"
#include "decode/message_code_family.h"
#include "decode/pcsc_family.h"

namespace {

// One object for all, made when the library loads: the lookup that every
// statement and every answer makes tests no guard.
const struct CFamilies {
  CTVRGenericFamily generic;
  CTVRMessageCodeFamily ccid{"ccidcmd.txt", "cciderr.txt"};
  CTVRPcscFamily pcsc;
  CTVRKiroFamily kiro;
  CTVRLoopbackFamily loopback;
  CTVRMessageCodeFamily messageCode{nullptr, nullptr};
} g_Families;

}  // namespace

// By the layout's value, in the order of ETVRAnswerLayout.
const CTVRProtocolFamily* const CTVRProtocolFamily::s_byLayout[LAYOUT_COUNT] = {
    &g_Families.messageCode, &g_Families.generic, &g_Families.ccid,
    &g_Families.pcsc,        &g_Families.kiro,    &g_Families.loopback,
};

void CTVRProtocolFamily::LoadDescriptionFiles(CTVRProtocol& protocol,
                                              const std::function<std::string(const std::string&)>& pathOf) const {
  if (m_pszCommandFile) protocol.GetCmdCode()->LoadPath(pathOf(m_pszCommandFile));
  if (m_pszErrorFile) protocol.GetErrorCode()->LoadPath(pathOf(m_pszErrorFile));
}

void CTVRProtocolFamily::WriteName(CTVRAnswerSink& doc, const char* text, tvr::DWORD length) {
  if (!doc.IsTraceOn()) return;
  if (text == nullptr) length = 0;
  doc.NotifyMessage(reinterpret_cast<const tvr::BYTE*>(text), length, TRACE_COMMAND_NAME);
}

void CTVRProtocolFamily::WriteUnknown(CTVRAnswerSink& doc) {
  WriteName(doc, tvr_decoder_texts::kUnknownCommand, tvr::DWORD(std::size(tvr_decoder_texts::kUnknownCommand) - 1));
}

void CTVRProtocolFamily::WriteTableName(CTVRAnswerSink& doc, const CCmdCode& table, tvr::BYTE cls, tvr::BYTE code,
                                        bool emptyIsUnknown) {
  if (!table.IsDefined(cls)) return WriteUnknown(doc);
  const std::string_view name = table.GetName(cls, code);
  if (emptyIsUnknown && name.empty()) return WriteUnknown(doc);
  WriteName(doc, name.data(), tvr::DWORD(name.size()));
}

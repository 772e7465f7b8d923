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

const CTVRProtocolFamily& CTVRProtocolFamily::ForLayout(ETVRAnswerLayout layout) {
  // One object for all, so that the lookup on every answer tests one guard.
  static const struct CFamilies {
    CTVRGenericFamily generic;
    CTVRMessageCodeFamily ccid{"ccidcmd.txt", "cciderr.txt"};
    CTVRPcscFamily pcsc;
    CTVRKiroFamily kiro;
    CTVRLoopbackFamily loopback;
    CTVRMessageCodeFamily messageCode{nullptr, nullptr};
  } families;
  switch (layout) {
    case ANSWER_GENERIC:
      return families.generic;
    case ANSWER_CCID:
      return families.ccid;
    case ANSWER_PCSC:
      return families.pcsc;
    case ANSWER_KIRO:
      return families.kiro;
    case ANSWER_LOOPBACK:
      return families.loopback;
    case ANSWER_MESSAGE_CODE:
      break;
  }
  return families.messageCode;
}

const CTVRProtocolFamily& CTVRProtocolFamily::ForProtocol(const CTVRProtocol& protocol) {
  return ForLayout(protocol.GetDescriptor().m_eAnswerLayout);
}

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
  const tvr::BYTE length = table.GetLength(cls, code);
  if (emptyIsUnknown && length == 0) return WriteUnknown(doc);
  WriteName(doc, table.GetText(cls, code), length);
}

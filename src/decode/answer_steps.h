// The steps that several answer layouts share: the handling of an error
// answer (cyphering reset, loopback end), the cyphering feed of a success
// answer, and the naming of an answer from the description tables.
#pragma once

#include <cstddef>
#include <string_view>

#include <tavric/board_doc.h>
#include <tavric/cmd_code.h>
#include <tavric/error_code.h>
#include <tavric/types.h>

#include "decode/answer_frame.h"
#include "decode/answer_sink.h"
#include "decode/answer_verdict.h"
#include "decode/decoded_text.h"

class CTVRProtocol;

class CTVRAnswerSteps {
 public:
  // E: an error answer resets an active cyphering, ends a triple-DES exchange
  // like a statement (CYPHERING_FAILED) and may end a running loopback test.
  static ETVRCypheringStep RunErrorSteps(CTVRAnswerSink& doc, CTVRProtocol& protocol, const CTVRAnswerFrame& a);
  // C1: the answer to the cyphered command ends the triple-DES exchange (CYPHERING_ENDS).
  static ETVRCypheringStep RunCypheringEnd(CTVRAnswerSink& doc);
  // C2 and C3: data for an active cyphering, and the challenge for the
  // exchange (CYPHERING_CONTINUES).
  static ETVRCypheringStep RunCypheringFeed(CTVRAnswerSink& doc, const CTVRAnswerFrame& a);
  // Whether the answer's text is traced, and whether it is the one awaited,
  // once the step has run: the end of an exchange is traced and awaited like
  // a statement's answer.
  static bool IsTraced(CTVRAnswerSink& doc, ETVRCypheringStep step) {
    return doc.IsTraceOn() || step == CYPHERING_ENDS || step == CYPHERING_FAILED;
  }
  static bool IsAwaited(CTVRAnswerSink& doc, ETVRCypheringStep step) {
    return doc.IsWaitingAnswer() || step == CYPHERING_ENDS || step == CYPHERING_FAILED;
  }

  // The table's text for (cls, code) when its length is not 0; false otherwise.
  template <std::size_t N>
  static bool AppendName(CTVRDecodedText<N>& text, const CCmdCode& table, tvr::BYTE cls, tvr::BYTE code);
  template <std::size_t N>
  static bool AppendError(CTVRDecodedText<N>& text, const CErrorCode& table, tvr::BYTE code);

  // The table's text for (cls, code), or `unknown` when its length is 0.
  static std::string_view NameOr(const CCmdCode& table, tvr::BYTE cls, tvr::BYTE code, std::string_view unknown) {
    const std::string_view name = table.GetName(cls, code);
    return name.empty() ? unknown : name;
  }
  // A decoded answer record ("IFD -> PC :") of two texts joined, cut as a
  // CTVRDecodedText<N> holding them would cut it, written straight into the
  // trace with no text of its own.
  template <std::size_t N>
  static void TraceJoined(CTVRAnswerSink& doc, std::string_view first, std::string_view second);

  // A literal text as a trace record of the given kind.
  template <std::size_t N>
  static void TraceText(CTVRAnswerSink& doc, const char (&text)[N], int kind);
};

template <std::size_t N>
bool CTVRAnswerSteps::AppendName(CTVRDecodedText<N>& text, const CCmdCode& table, tvr::BYTE cls, tvr::BYTE code) {
  const std::string_view name = table.GetName(cls, code);
  if (name.empty()) return false;
  text.Append(name.data(), name.size());
  return true;
}

template <std::size_t N>
bool CTVRAnswerSteps::AppendError(CTVRDecodedText<N>& text, const CErrorCode& table, tvr::BYTE code) {
  if (!table.IsDefined(code)) return false;
  const tvr::BYTE length = table.GetLength(code);
  if (length) text.Append(table.GetText(code), length);
  return true;
}

template <std::size_t N>
void CTVRAnswerSteps::TraceJoined(CTVRAnswerSink& doc, std::string_view first, std::string_view second) {
  first = first.substr(0, N - 1);
  second = second.substr(0, N - 1 - first.size());
  doc.NotifyJoined(reinterpret_cast<const tvr::BYTE*>(first.data()), tvr::DWORD(first.size()),
                   reinterpret_cast<const tvr::BYTE*>(second.data()), tvr::DWORD(second.size()), TRACE_ANSWER_TEXT);
}

template <std::size_t N>
void CTVRAnswerSteps::TraceText(CTVRAnswerSink& doc, const char (&text)[N], int kind) {
  doc.NotifyMessage(reinterpret_cast<const tvr::BYTE*>(text), tvr::DWORD(N - 1), kind);
}

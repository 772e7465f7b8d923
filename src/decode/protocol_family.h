// A protocol family: what the host knows of the protocols that share an
// answer layout. Each family lives in one small class with everything the host
// does differently for it: the description files it loads, how a frame sent
// is named in the trace, and how an answer is decoded. The protocol declares
// its layout (CTVRProtocol::GetDescriptor()); ForLayout chooses the family,
// with the files the layout's comment in <tavric/protocol_descriptor.h> lists.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

#include <tavric/protocol.h>
#include <tavric/protocol_descriptor.h>
#include <tavric/types.h>

#include "decode/answer_frame.h"
#include "decode/answer_verdict.h"

class CTVRAnswerSink;
class CTVRProtocol;
class CCmdCode;

// A frame that has just been handed to the board.
struct CTVRSentFrame {
  const tvr::BYTE* m_pFrame;  // as sent
  tvr::DWORD m_dwLength;
  tvr::BYTE* m_pBytes;  // the statement's bytes, before the protocol framed them
  tvr::DWORD m_dwCount;
};

class CTVRProtocolFamily {
 public:
  virtual ~CTVRProtocolFamily() = default;

  // The family of an answer layout; the message-code family for a value
  // that names no layout. Inline, a table's entry: each statement asks for its
  // family three times.
  static const CTVRProtocolFamily& ForLayout(ETVRAnswerLayout layout) {
    return *s_byLayout[std::size_t(layout) < LAYOUT_COUNT ? std::size_t(layout) : std::size_t(ANSWER_MESSAGE_CODE)];
  }
  // The family of the layout the protocol declares.
  static const CTVRProtocolFamily& ForProtocol(const CTVRProtocol& protocol) {
    return ForLayout(protocol.GetDescriptor().m_eAnswerLayout);
  }

  // Loads the family's description files into the protocol's tables, the
  // command file first; a family without files leaves the tables as they are.
  // pathOf gives the path of a description file from its name.
  void LoadDescriptionFiles(CTVRProtocol& protocol, const std::function<std::string(const std::string&)>& pathOf) const;
  const char* GetCommandFile() const { return m_pszCommandFile; }
  const char* GetErrorFile() const { return m_pszErrorFile; }

  // A script for this family is always raw data: the protocol frames nothing.
  virtual bool IsRawDataOnly() const { return false; }

  // The command name record of a frame sent, and what the family remembers
  // of it (expected answer opcode, card selection). Never reads past the frame.
  virtual void NameSentFrame(CTVRAnswerSink& doc, CTVRProtocol& protocol, const CTVRSentFrame& sent) const = 0;

  // The layout's steps for one answer: its verdict's end is ANSWER_KEEP_WAITING
  // for an intermediate message (the common end then does not run), and its
  // cyphering step what the answer did to a triple-DES exchange; the common
  // end judges the rest. The layout may move the header (h, d) or shorten the
  // answer for the common end.
  virtual CTVRAnswerVerdict DecodeAnswer(CTVRAnswerSink& doc, CTVRProtocol& protocol,
                                         CTVRAnswerFrame& answer) const = 0;

 protected:
  CTVRProtocolFamily(const char* pszCommandFile, const char* pszErrorFile)
      : m_pszCommandFile(pszCommandFile), m_pszErrorFile(pszErrorFile) {}

  // Kind 4 records ("PC -> IFD :"), written only while trace on is TRUE.
  static void WriteName(CTVRAnswerSink& doc, const char* text, tvr::DWORD length);
  static void WriteUnknown(CTVRAnswerSink& doc);
  // The command table's name for (cls, code); " UNKNOWN COMMAND" when the class
  // is not defined or, with emptyIsUnknown, when the name is empty.
  static void WriteTableName(CTVRAnswerSink& doc, const CCmdCode& table, tvr::BYTE cls, tvr::BYTE code,
                             bool emptyIsUnknown);

 private:
  static constexpr std::size_t LAYOUT_COUNT = std::size_t(ANSWER_LOOPBACK) + 1;
  static const CTVRProtocolFamily* const s_byLayout[LAYOUT_COUNT];

  const char* m_pszCommandFile;
  const char* m_pszErrorFile;
};

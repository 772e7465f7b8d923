#include "pty_reader.h"

CTVRPtyReader::CTVRPtyReader(const CTVRProtocolDescriptor& protocol, std::size_t garbleAnswer)
    : m_Link(CTVRSimLink::ForLayout(protocol.m_eAnswerLayout)),
      m_Cutter(protocol.m_pGeometry),
      m_nGarbleAnswer(garbleAnswer) {}

std::vector<CTVRPtyReader::Frame> CTVRPtyReader::Feed(const tvr::BYTE* bytes, std::size_t count) {
  return Answer(m_Cutter.Feed(bytes, count));
}

std::vector<CTVRPtyReader::Frame> CTVRPtyReader::Flush() {
  return Answer(m_Cutter.Flush());
}

std::vector<CTVRPtyReader::Frame> CTVRPtyReader::Answer(const std::vector<CTVRFrameCutter::CPiece>& pieces) {
  std::vector<Frame> out;
  for (const CTVRFrameCutter::CPiece& piece : pieces) {
    const tvr::BYTE* bytes = piece.m_Bytes.data();
    const std::size_t count = piece.m_Bytes.size();
    const std::vector<Frame> answers = piece.m_eKind == CTVRFrameCutter::CUT_FRAME
                                           ? m_Link.Process(m_Firmware, bytes, count)
                                           : std::vector<Frame>{m_Link.LinkError(bytes, count)};
    for (const Frame& answer : answers) {
      if (answer.empty()) continue;
      if (++m_nAnswers == m_nGarbleAnswer) {
        Frame garbled = answer;
        garbled.back() ^= 0x5A;
        out.push_back(std::move(garbled));
      }
      out.push_back(answer);
    }
  }
  return out;
}

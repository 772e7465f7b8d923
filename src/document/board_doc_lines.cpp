// The document's line operations and its statement step, passed on to the
// line store and the interpreter it holds: board plug-ins and the editor keep
// calling them on the document.
#include <tavric/board_doc.h>

#include "document/board_doc_private.h"
#include "document/interpreter.h"
#include "document/line_store.h"

int CTVRBoardDocPrivate::GetLineCount() const {
  return m_pLineStore->GetLineCount();
}
int CTVRBoardDocPrivate::GetLineLength(int line) const {
  return m_pLineStore->GetLineLength(line);
}
std::string CTVRBoardDocPrivate::GetLine(int line) const {
  return m_pLineStore->GetLine(line);
}
DWORD CTVRBoardDocPrivate::GetLineState(int line) const {
  return m_pLineStore->GetLineState(line);
}
void CTVRBoardDocPrivate::SetLine(int line, const std::string& text) {
  m_pLineStore->SetLine(line, text);
}
void CTVRBoardDocPrivate::SetLineState(int line, DWORD state) {
  m_pLineStore->SetLineState(line, state);
}
void CTVRBoardDocPrivate::InsertLine(int line, const std::string& text, DWORD state) {
  m_pLineStore->InsertLine(line, text, state);
}
void CTVRBoardDocPrivate::RemoveLine(int line) {
  m_pLineStore->RemoveLine(line);
}
void CTVRBoardDocPrivate::InsertLines(int line, const std::vector<std::string>& texts) {
  m_pLineStore->InsertLines(line, texts);
}
void CTVRBoardDocPrivate::RemoveLines(int line, int count) {
  m_pLineStore->RemoveLines(line, count);
}
void CTVRBoardDocPrivate::ReparseLine(int line) {
  m_pLineStore->ReparseLine(line);
}
std::pair<int, int> CTVRBoardDocPrivate::GetTextExtent() {
  return m_pLineStore->GetTextExtent();
}
void CTVRBoardDocPrivate::GotoFirstChunk(int line) {
  m_pLineStore->GotoFirstChunk(line);
}
int CTVRBoardDocPrivate::GetNextChunk(std::string& chunk, DWORD colours[2], DWORD /*ignored*/) {
  return m_pLineStore->GetNextChunk(chunk, colours);
}
int CTVRBoardDocPrivate::NextLine() {
  return m_pLineStore->NextLine();
}
int CTVRBoardDocPrivate::GotoNextCommand() {
  return m_pLineStore->GotoNextCommand();
}
int CTVRBoardDocPrivate::SetNextCommand(int line) {
  return m_pLineStore->SetNextCommand(line);
}
void CTVRBoardDocPrivate::SetScriptLines(const std::vector<std::string>& lines) {
  m_pLineStore->SetScriptLines(lines);
}
int CTVRBoardDocPrivate::GetCurrentLine() const {
  return m_pLineStore->GetCurrentLine();
}
int CTVRBoardDocPrivate::GetMarkedLine() const {
  return m_pLineStore->GetMarkedLine();
}

int CTVRBoardDocPrivate::SendCurrentCommand() {
  return m_pInterpreter->SendCurrentCommand();
}
int CTVRBoardDocPrivate::GetLoopCounter() const {
  return m_pInterpreter->GetLoopCounter();
}
void CTVRBoardDocPrivate::SetLoopCounter(int count) {
  m_pInterpreter->SetLoopCounter(count);
}
BOOL CTVRBoardDocPrivate::IsEscapeAnswerExpected() const {
  return m_pInterpreter->IsEscapeAnswerExpected();
}
void CTVRBoardDocPrivate::SetEscapeAnswerExpected(BOOL expected) {
  m_pInterpreter->SetEscapeAnswerExpected(expected);
}

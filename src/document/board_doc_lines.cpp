// The document's line operations and its statement step, passed on to the
// line store and the interpreter it holds: board plug-ins and the editor keep
// calling them on the document.
#include <tavric/board_doc.h>

#include "document/interpreter.h"
#include "document/line_store.h"

int CTVRBoardDoc::GetLineCount() const {
  return m_pLineStore->GetLineCount();
}
int CTVRBoardDoc::GetLineLength(int line) const {
  return m_pLineStore->GetLineLength(line);
}
std::string CTVRBoardDoc::GetLine(int line) const {
  return m_pLineStore->GetLine(line);
}
DWORD CTVRBoardDoc::GetLineState(int line) const {
  return m_pLineStore->GetLineState(line);
}
void CTVRBoardDoc::SetLine(int line, const std::string& text) {
  m_pLineStore->SetLine(line, text);
}
void CTVRBoardDoc::SetLineState(int line, DWORD state) {
  m_pLineStore->SetLineState(line, state);
}
void CTVRBoardDoc::InsertLine(int line, const std::string& text, DWORD state) {
  m_pLineStore->InsertLine(line, text, state);
}
void CTVRBoardDoc::RemoveLine(int line) {
  m_pLineStore->RemoveLine(line);
}
void CTVRBoardDoc::InsertLines(int line, const std::vector<std::string>& texts) {
  m_pLineStore->InsertLines(line, texts);
}
void CTVRBoardDoc::RemoveLines(int line, int count) {
  m_pLineStore->RemoveLines(line, count);
}
void CTVRBoardDoc::ReparseLine(int line) {
  m_pLineStore->ReparseLine(line);
}
std::pair<int, int> CTVRBoardDoc::GetTextExtent() {
  return m_pLineStore->GetTextExtent();
}
void CTVRBoardDoc::GotoFirstChunk(int line) {
  m_pLineStore->GotoFirstChunk(line);
}
int CTVRBoardDoc::GetNextChunk(std::string& chunk, DWORD colours[2], DWORD /*ignored*/) {
  return m_pLineStore->GetNextChunk(chunk, colours);
}
int CTVRBoardDoc::NextLine() {
  return m_pLineStore->NextLine();
}
int CTVRBoardDoc::GotoNextCommand() {
  return m_pLineStore->GotoNextCommand();
}
int CTVRBoardDoc::SetNextCommand(int line) {
  return m_pLineStore->SetNextCommand(line);
}
void CTVRBoardDoc::SetScriptLines(const std::vector<std::string>& lines) {
  m_pLineStore->SetScriptLines(lines);
}
int CTVRBoardDoc::GetCurrentLine() const {
  return m_pLineStore->GetCurrentLine();
}
int CTVRBoardDoc::GetMarkedLine() const {
  return m_pLineStore->GetMarkedLine();
}

int CTVRBoardDoc::SendCurrentCommand() {
  return m_pInterpreter->SendCurrentCommand();
}
int CTVRBoardDoc::GetLoopCounter() const {
  return m_pInterpreter->GetLoopCounter();
}
void CTVRBoardDoc::SetLoopCounter(int count) {
  m_pInterpreter->SetLoopCounter(count);
}
BOOL CTVRBoardDoc::IsEscapeAnswerExpected() const {
  return m_pInterpreter->IsEscapeAnswerExpected();
}
void CTVRBoardDoc::SetEscapeAnswerExpected(BOOL expected) {
  m_pInterpreter->SetEscapeAnswerExpected(expected);
}

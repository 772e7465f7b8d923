#include "decode/description_file.h"

#include <cstring>

#include <tavric/hex_text.h>

#include "platform/file_reader.h"

namespace {}  // namespace

bool CTVRDescriptionFile::Read(const std::string& path) {
  m_nPos = 0;
  std::string content;
  const bool ok = CTVRFileReader::ReadAll(path, content) == CTVRFileReader::READ_OK;
  m_data.assign(content.begin(), content.end());
  return ok;
}

void CTVRDescriptionFile::Assign(std::string_view bytes) {
  m_data.assign(bytes.begin(), bytes.end());
  m_nPos = 0;
}

bool CTVRDescriptionFile::ReadByte(tvr::BYTE& value) {
  if (AtEnd() || !CTVRHexText::ReadByte(std::string_view(m_data.data() + m_nPos, m_data.size() - m_nPos), value))
    return false;
  m_nPos += 2;
  return true;
}

std::string_view CTVRDescriptionFile::ReadDescription() {
  std::size_t start = m_nPos;
  std::size_t end = start;
  while (end < m_data.size() && m_data[end] != '\r' && m_data[end] != '\n') ++end;
  std::size_t length = end - start;
  if (length > MAX_DESCRIPTION) length = MAX_DESCRIPTION;
  m_nPos = end;
  SkipLine();
  return std::string_view(m_data.data() + start, length);
}

void CTVRDescriptionFile::SkipLine() {
  while (!AtEnd() && m_data[m_nPos] != '\n') ++m_nPos;
  Advance();
}

char* CTVRDescriptionFile::CopyText(std::string_view text) {
  char* copy = new char[text.size() + 1];
  std::memcpy(copy, text.data(), text.size());
  copy[text.size()] = '\0';
  return copy;
}

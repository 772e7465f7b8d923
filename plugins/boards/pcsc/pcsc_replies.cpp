#include "pcsc_replies.h"

#include <cctype>

#include <algorithm>

#include "pcsc_frame.h"

std::vector<std::string> CTVRPcscReplies::ReaderNames(const char* names, std::size_t length) {
  std::vector<std::string> readers;
  const char* const end = names + length;
  // A name runs to its zero, or to the end of the buffer when its zero is missing.
  for (const char* p = names; p < end && *p;) {
    const char* zero = std::find(p, end, '\0');
    readers.emplace_back(p, zero);
    p = zero + (zero < end ? 1 : 0);
  }
  return readers;
}

std::vector<tvr::BYTE> CTVRPcscReplies::CardAnswer(tvr::BYTE kind, const tvr::BYTE* buffer, std::size_t capacity,
                                                   std::size_t length) {
  // A length past the buffer (a daemon or driver at fault) reads no further than the buffer.
  length = std::min(length, capacity);
  return CTVRPcscFrame::CardAnswer(kind, std::vector<tvr::BYTE>(buffer, buffer + length));
}

namespace {

bool IsHexPair(const std::string& text, std::size_t at) {
  return std::isxdigit(static_cast<unsigned char>(text[at])) && std::isxdigit(static_cast<unsigned char>(text[at + 1]));
}

// "NAME XX YY" without " XX": "NAME YY"; any other name as it is.
std::string WithoutIndex(const std::string& reader) {
  const std::size_t n = reader.size();
  if (n < 7 || reader[n - 6] != ' ' || reader[n - 3] != ' ' || !IsHexPair(reader, n - 5) || !IsHexPair(reader, n - 2))
    return reader;
  return reader.substr(0, n - 6) + reader.substr(n - 3);
}

}  // namespace

std::string CTVRPcscReplies::FindReader(const std::vector<std::string>& readers, const std::string& wanted) {
  for (const std::string& reader : readers)
    if (reader == wanted) return reader;
  const std::string name = WithoutIndex(wanted);
  for (const std::string& reader : readers)
    if (WithoutIndex(reader) == name) return reader;
  return std::string();
}

#include "pcsc_replies.h"

#include <algorithm>

#include "pcsc_frame.h"

std::vector<std::string> CTVRPcscReplies::ReaderNames(const char* names, std::size_t length) {
  std::vector<std::string> readers;
  for (const char* p = names; p < names + length && *p; p += std::string(p).size() + 1) readers.emplace_back(p);
  return readers;
}

std::vector<tvr::BYTE> CTVRPcscReplies::CardAnswer(tvr::BYTE kind, const tvr::BYTE* buffer, std::size_t capacity,
                                                   std::size_t length) {
  // A length past the buffer (a daemon or driver at fault) reads no further than the buffer.
  length = std::min(length, capacity);
  return CTVRPcscFrame::CardAnswer(kind, std::vector<tvr::BYTE>(buffer, buffer + length));
}

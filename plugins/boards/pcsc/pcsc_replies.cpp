#include "pcsc_replies.h"

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

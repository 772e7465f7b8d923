// What the PC/SC link is handed back by the daemon, from any bytes: the
// first byte picks a reader list (the rest is the list's buffer, of exactly
// its length) or an answer buffer (the next two bytes are the length the
// call reported, which may exceed the buffer; the rest is the buffer). The
// names read are the buffer's, in order, none empty; an answer holds the
// bytes reported and never a byte from past the buffer.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "pcsc_frame.h"
#include "pcsc_replies.h"

namespace {

void Require(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  if ((data[0] & 1) == 0) {
    const std::size_t length = size - 1;
    std::unique_ptr<char[]> names(new char[length ? length : 1]);
    for (std::size_t i = 0; i < length; ++i) names[i] = char(data[1 + i]);
    const std::vector<std::string> readers = CTVRPcscReplies::ReaderNames(names.get(), length);
    // The names, each with its zero, are the front of the buffer (the last
    // one's zero may be missing where the buffer ends).
    std::size_t at = 0;
    for (const std::string& reader : readers) {
      Require(!reader.empty() && reader.find('\0') == std::string::npos);
      Require(at + reader.size() <= length && reader.compare(0, reader.size(), names.get() + at, reader.size()) == 0);
      at += reader.size();
      Require(at == length || names[at] == '\0');
      ++at;
    }
    // What follows the last name is the end of the list.
    Require(at >= length || names[at] == '\0');
    return 0;
  }
  if (size < 3) return 0;
  const std::size_t reported = std::size_t(data[1]) << 8 | data[2];
  const std::size_t capacity = size - 3;
  std::unique_ptr<tvr::BYTE[]> buffer(new tvr::BYTE[capacity ? capacity : 1]);
  for (std::size_t i = 0; i < capacity; ++i) buffer[i] = data[3 + i];
  const tvr::BYTE kind = data[0] >> 1;
  const std::vector<tvr::BYTE> answer = CTVRPcscReplies::CardAnswer(kind, buffer.get(), capacity, reported);
  const std::size_t held = reported < capacity ? reported : capacity;
  Require(answer.size() == 2 + held && answer[0] == PCSC_ANSWER_CARD && answer[1] == kind);
  for (std::size_t i = 0; i < held; ++i) Require(answer[2 + i] == buffer[i]);
  return 0;
}

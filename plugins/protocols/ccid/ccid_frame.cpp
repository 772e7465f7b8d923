#include "ccid_frame.h"

tvr::DWORD CTVRCcidFrame::Build(tvr::BYTE* out, tvr::DWORD capacity, tvr::BYTE type, tvr::BYTE slot, tvr::BYTE seq,
                                const tvr::BYTE params[3], const tvr::BYTE* data, tvr::DWORD count) {
  if (count > MAX_DATA_LENGTH) return 0;
  const tvr::DWORD length = HEADER_LENGTH + count;
  if (!out || capacity < length) return length;
  out[0] = type;
  for (int i = 0; i < 4; ++i) out[1 + i] = tvr::BYTE(count >> (8 * i));
  out[5] = slot;
  out[6] = seq;
  for (int i = 0; i < 3; ++i) out[7 + i] = params ? params[i] : 0;
  for (tvr::DWORD i = 0; i < count; ++i) out[HEADER_LENGTH + i] = data[i];
  return length;
}

std::vector<tvr::BYTE> CTVRCcidFrame::Make(tvr::BYTE type, tvr::BYTE slot, tvr::BYTE seq, tvr::BYTE status,
                                           tvr::BYTE error, tvr::BYTE specific, const std::vector<tvr::BYTE>& data) {
  std::vector<tvr::BYTE> message(HEADER_LENGTH + data.size());
  message[0] = type;
  for (int i = 0; i < 4; ++i) message[std::size_t(1 + i)] = tvr::BYTE(data.size() >> (8 * i));
  message[5] = slot;
  message[6] = seq;
  message[STATUS] = status;
  message[ERROR] = error;
  message[9] = specific;
  for (std::size_t i = 0; i < data.size(); ++i) message[HEADER_LENGTH + i] = data[i];
  return message;
}

tvr::DWORD CTVRCcidFrame::DataLength(const tvr::BYTE* message) {
  return tvr::DWORD(message[1]) | tvr::DWORD(message[2]) << 8 | tvr::DWORD(message[3]) << 16 |
         tvr::DWORD(message[4]) << 24;
}

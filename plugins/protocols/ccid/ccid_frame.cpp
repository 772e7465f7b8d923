#include "ccid_frame.h"

namespace {

bool IsMessageType(tvr::BYTE type) {
  switch (type) {
    case CCID_PC_TO_RDR_SET_PARAMETERS:
    case CCID_PC_TO_RDR_ICC_POWER_ON:
    case CCID_PC_TO_RDR_ICC_POWER_OFF:
    case CCID_PC_TO_RDR_GET_SLOT_STATUS:
    case CCID_PC_TO_RDR_ESCAPE:
    case CCID_PC_TO_RDR_GET_PARAMETERS:
    case CCID_PC_TO_RDR_XFR_BLOCK:
    case CCID_RDR_TO_PC_DATA_BLOCK:
    case CCID_RDR_TO_PC_SLOT_STATUS:
    case CCID_RDR_TO_PC_PARAMETERS:
    case CCID_RDR_TO_PC_ESCAPE:
      return true;
    default:
      return false;
  }
}

long MeasureCcid(const tvr::BYTE* bytes, std::size_t available) {
  if (available < 1) return CTVRFrameGeometry::FRAME_MORE;
  if (bytes[0] == CCID_RDR_TO_PC_NOTIFY_SLOT_CHANGE) return 3;
  if (!IsMessageType(bytes[0])) return CTVRFrameGeometry::FRAME_NONE;
  if (available < 5) return CTVRFrameGeometry::FRAME_MORE;
  const tvr::DWORD count = CTVRCcidFrame::DataLength(bytes);
  if (count > CTVRCcidFrame::MAX_STREAM_DATA_LENGTH) return CTVRFrameGeometry::FRAME_NONE;
  return long(CTVRCcidFrame::HEADER_LENGTH) + long(count);
}

bool CheckCcid(const tvr::BYTE*, std::size_t) {
  return true;
}

}  // namespace

const CTVRFrameGeometry& CTVRCcidFrame::GetGeometry() {
  static const CTVRFrameGeometry geometry{"CCID", MeasureCcid, CheckCcid};
  return geometry;
}

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
  for (std::size_t i = 0; i < 4; ++i) message[1 + i] = tvr::BYTE(data.size() >> (8 * i));
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

#include "trace/pcapng_writer.h"

namespace {

// Block types.
constexpr std::uint32_t BLOCK_SECTION_HEADER = 0x0A0D0D0A;
constexpr std::uint32_t BLOCK_INTERFACE = 1;
constexpr std::uint32_t BLOCK_ENHANCED_PACKET = 6;
constexpr std::uint32_t BYTE_ORDER_MAGIC = 0x1A2B3C4D;

// Options.
constexpr std::uint16_t OPT_END = 0;
constexpr std::uint16_t OPT_COMMENT = 1;
constexpr std::uint16_t SHB_USERAPPL = 4;
constexpr std::uint16_t IF_NAME = 2;
constexpr std::uint16_t IF_TSRESOL = 9;
constexpr std::uint16_t EPB_FLAGS = 2;
constexpr std::uint32_t EPB_FLAG_INBOUND = 1;
constexpr std::uint32_t EPB_FLAG_OUTBOUND = 2;

// Tags of an exported PDU (big-endian, before the PDU itself).
constexpr std::uint16_t TAG_END = 0;
constexpr std::uint16_t TAG_DISSECTOR_NAME = 12;
constexpr std::uint16_t TAG_COLUMN_PROTOCOL = 33;
constexpr std::uint16_t TAG_DIRECTION = 35;
// Wireshark's peer-to-peer directions.
constexpr std::int32_t P2P_SENT = 0;
constexpr std::int32_t P2P_RECEIVED = 1;

// The block fields are written in this machine's order, which the section
// header's magic number states; the exported PDU's tags are big-endian always.
template <typename T>
void Put(std::string& out, T value) {
  out.append(reinterpret_cast<const char*>(&value), sizeof value);
}

void PutBig16(std::string& out, std::uint16_t value) {
  out.push_back(char(value >> 8));
  out.push_back(char(value & 0xFF));
}

void Pad(std::string& out) {
  out.append((4 - out.size() % 4) % 4, '\0');
}

void PutOption(std::string& out, std::uint16_t code, const std::string& value) {
  Put<std::uint16_t>(out, code);
  Put<std::uint16_t>(out, std::uint16_t(value.size()));
  out += value;
  Pad(out);
}

// A string tag: its length counts the padding to four bytes, as Wireshark writes it.
void PutTag(std::string& out, std::uint16_t tag, const std::string& value) {
  const std::size_t padded = (value.size() + 3) / 4 * 4;
  PutBig16(out, tag);
  PutBig16(out, std::uint16_t(padded));
  out += value;
  out.append(padded - value.size(), '\0');
}

void PutDirectionTag(std::string& out, CTVRPcapngWriter::EDirection direction) {
  const std::int32_t value = direction == CTVRPcapngWriter::DIRECTION_SENT ? P2P_SENT : P2P_RECEIVED;
  PutBig16(out, TAG_DIRECTION);
  PutBig16(out, 4);
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(char((std::uint32_t(value) >> shift) & 0xFF));
}

// A whole block: type, total length, the body (padded), the total length again.
std::string Block(std::uint32_t type, std::string body) {
  Pad(body);
  std::string block;
  const auto total = std::uint32_t(body.size() + 12);
  Put(block, type);
  Put(block, total);
  block += body;
  Put(block, total);
  return block;
}

}  // namespace

std::string CTVRPcapngWriter::FileHeader() {
  std::string section;
  Put(section, BYTE_ORDER_MAGIC);
  Put<std::uint16_t>(section, 1);  // version 1.0
  Put<std::uint16_t>(section, 0);
  Put<std::int64_t>(section, -1);  // section length not given
  PutOption(section, SHB_USERAPPL, "Tavric");
  PutOption(section, OPT_END, "");

  std::string interface;
  Put(interface, LINKTYPE_WIRESHARK_UPPER_PDU);
  Put<std::uint16_t>(interface, 0);  // reserved
  Put<std::uint32_t>(interface, 0);  // no snapshot length
  PutOption(interface, IF_NAME, "tavric");
  PutOption(interface, IF_TSRESOL, std::string(1, '\x09'));  // 10^-9 s
  PutOption(interface, OPT_END, "");
  return Block(BLOCK_SECTION_HEADER, section) + Block(BLOCK_INTERFACE, interface);
}

std::string CTVRPcapngWriter::ApduPacket(std::uint64_t nanoseconds, EDirection direction, const tvr::BYTE* data,
                                         std::size_t count) {
  std::string tags;
  PutTag(tags, TAG_DISSECTOR_NAME, "iso7816");
  PutDirectionTag(tags, direction);
  return Packet(nanoseconds, direction, tags, data, count, "");
}

std::string CTVRPcapngWriter::FramePacket(std::uint64_t nanoseconds, EDirection direction, const tvr::BYTE* data,
                                          std::size_t count, const std::string& protocol) {
  std::string tags;
  PutTag(tags, TAG_DISSECTOR_NAME, "data");
  if (!protocol.empty()) PutTag(tags, TAG_COLUMN_PROTOCOL, protocol);
  PutDirectionTag(tags, direction);
  return Packet(nanoseconds, direction, tags, data, count, protocol);
}

std::string CTVRPcapngWriter::Packet(std::uint64_t nanoseconds, EDirection direction, const std::string& tags,
                                     const tvr::BYTE* data, std::size_t count, const std::string& comment) {
  std::string packet = tags;
  PutBig16(packet, TAG_END);
  PutBig16(packet, 0);
  if (data != nullptr) packet.append(reinterpret_cast<const char*>(data), count);

  std::string body;
  Put<std::uint32_t>(body, 0);  // the one interface
  Put(body, std::uint32_t(nanoseconds >> 32));
  Put(body, std::uint32_t(nanoseconds & 0xFFFFFFFF));
  Put(body, std::uint32_t(packet.size()));  // captured
  Put(body, std::uint32_t(packet.size()));  // on the wire
  body += packet;
  Pad(body);
  if (!comment.empty()) PutOption(body, OPT_COMMENT, comment);
  std::string flags;
  Put(flags, direction == DIRECTION_SENT ? EPB_FLAG_OUTBOUND : EPB_FLAG_INBOUND);
  PutOption(body, EPB_FLAGS, flags);
  PutOption(body, OPT_END, "");
  return Block(BLOCK_ENHANCED_PACKET, body);
}

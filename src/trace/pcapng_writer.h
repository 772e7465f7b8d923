// The blocks of a pcapng capture file, as Wireshark and tshark read them.
//
// One section, one interface of link type 252 (exported PDUs, whose tags name
// the dissector for each packet), time stamps in nanoseconds. An APDU names
// the "iso7816" dissector with its direction (sent: a command; received: a
// response); a reader-protocol frame names the "data" dissector, its protocol
// in the protocol column and in the packet's comment. The direction is in the
// packet's flags as well (outbound, inbound). docs/pcap.md says why.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include <tavric/types.h>

class CTVRPcapngWriter {
 public:
  enum EDirection { DIRECTION_SENT, DIRECTION_RECEIVED };

  static constexpr std::uint16_t LINKTYPE_WIRESHARK_UPPER_PDU = 252;

  // The section header and the interface description: the start of every file.
  static std::string FileHeader();
  // An APDU for the ISO 7816 dissector; `nanoseconds` on the monotonic clock.
  static std::string ApduPacket(std::uint64_t nanoseconds, EDirection direction, const tvr::BYTE* data,
                                std::size_t count);
  // A frame of a reader protocol as raw data, the protocol named.
  static std::string FramePacket(std::uint64_t nanoseconds, EDirection direction, const tvr::BYTE* data,
                                 std::size_t count, const std::string& protocol);

 private:
  static std::string Packet(std::uint64_t nanoseconds, EDirection direction, const std::string& tags,
                            const tvr::BYTE* data, std::size_t count, const std::string& comment);
};

// The firmware of the simulated Verta reader: frames from the host in, answer
// frames out, as a real reader of the protocol answers them. It knows nothing
// of the host beyond the frame bytes, so it can equally sit behind the board
// plug-in or at the far end of a serial line.
//
// Six card slots: slot 1 holds an ISO 7816-4 card (T=0), slot 3 a T=1 card,
// slot 4 a card of inverse convention, slot 5 a mute card; slots 2 and 6 are
// empty. A card inserted into an empty slot is a fresh T=0 card.
//
// Registers: 64 8-bit registers, 00 to 0F read-only, 10 to 3F writable; 14
// is write-only (a power-off strobe) and 16 a window onto four bank registers
// that 15 selects, so the register tool has every kind of register to show.
#pragma once

#include <array>
#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include <tavric/types.h>

#include "sim_card.h"

class CTVRSimFirmware {
 public:
  using Frame = std::vector<tvr::BYTE>;

  static constexpr int SLOT_COUNT = 6;
  static constexpr tvr::BYTE REGISTER_COUNT = 0x40;
  static constexpr tvr::BYTE FIRST_WRITABLE_REGISTER = 0x10;
  static constexpr tvr::BYTE MAX_REGISTER_BLOCK = 16;

  // Register addresses with a fixed meaning.
  enum ERegister : tvr::BYTE {
    REG_CHIP_ID = 0x00,
    REG_VERSION_MAJOR = 0x01,
    REG_VERSION_MINOR = 0x02,
    REG_SLOT_COUNT = 0x03,
    REG_CARD_PRESENT = 0x04,  // bit n: a card is in slot n + 1
    REG_CARD_POWERED = 0x05,  // bit n: the card of slot n + 1 is powered
    REG_SELECTED_CARD = 0x06,
    REG_LED = 0x10,
    REG_BUZZER = 0x11,
    REG_EVENT_MASK = 0x12,   // bit n: report insertions and removals in slot n + 1
    REG_POWER_OFF = 0x14,    // write-only: bit n powers off the card of slot n + 1; reads 00
    REG_BANK_SELECT = 0x15,  // bits 1-0: the bank register seen at REG_BANK_DATA
    REG_BANK_DATA = 0x16,
  };
  static constexpr int BANK_COUNT = 4;

  static const char* GetMaskText() { return "VRT-SIM 2.04"; }

  CTVRSimFirmware();
  ~CTVRSimFirmware();
  CTVRSimFirmware(const CTVRSimFirmware&) = delete;
  CTVRSimFirmware& operator=(const CTVRSimFirmware&) = delete;

  // What one reader command did: 0 or the Verta error code, and the answer data.
  struct CResult {
    tvr::BYTE m_byError = 0;
    std::vector<tvr::BYTE> m_Data;
  };

  // One frame from the host; the answers in the order the reader sends them.
  std::vector<Frame> ProcessFrame(const tvr::BYTE* frame, std::size_t length);
  // One reader command (EVertaOpcode) without its Verta framing: the other
  // host links of the simulated reader drive the same reader through it.
  CResult Run(tvr::BYTE opcode, const std::vector<tvr::BYTE>& data);

  // Card movements, slot 1 to 6: the card event frames they cause (none when
  // nothing changes, the slot does not exist or its events are masked).
  std::vector<Frame> InsertCard(int slot);
  std::vector<Frame> RemoveCard(int slot);

  bool IsCardPresent(int slot) const;
  bool IsCardPowered(int slot) const;
  tvr::BYTE GetSelectedCard() const { return m_bySelectedCard; }
  // Null for a slot that does not exist or holds no card.
  CTVRSimCard* GetCard(int slot);
  tvr::BYTE GetRegister(tvr::BYTE address) const;

 private:
  struct CSlot {
    std::unique_ptr<CTVRSimCard> m_pCard;  // kept while the card is out, so it comes back as it left
    bool m_bPresent = false;
    bool m_bPowered = false;
    tvr::BYTE m_Parameters[5] = {0, 4, 1, 0, 0x11};  // by EVertaSlotParameter
  };

  Frame Answer(tvr::BYTE opcode, const std::vector<tvr::BYTE>& data) const;
  Frame Error(tvr::BYTE opcode, tvr::BYTE error) const;
  Frame Execute(tvr::BYTE opcode, const tvr::BYTE* data, std::size_t count);
  Frame ExchangeApdu(const tvr::BYTE* data, std::size_t count);
  Frame ResetCard(const tvr::BYTE* data, std::size_t count);
  Frame SetSlotParameter(const tvr::BYTE* data, std::size_t count);
  Frame GetSlotParameter(const tvr::BYTE* data, std::size_t count);
  Frame ReaderInfo(const tvr::BYTE* data, std::size_t count);
  Frame ReadRegister(const tvr::BYTE* data, std::size_t count);
  Frame WriteRegister(const tvr::BYTE* data, std::size_t count);
  std::vector<Frame> CardEvent(int slot, bool inserted) const;
  // One register of a write, with what writing it does.
  void StoreRegister(tvr::BYTE address, tvr::BYTE value);
  CSlot& Selected() { return m_Slots[std::size_t(m_bySelectedCard - 1)]; }

  std::array<CSlot, SLOT_COUNT> m_Slots;
  tvr::BYTE m_bySelectedCard = 1;
  std::array<tvr::BYTE, REGISTER_COUNT> m_Registers{};
  std::array<tvr::BYTE, BANK_COUNT> m_Banks{0x04, 0x02, 0x03, 0x00};
};

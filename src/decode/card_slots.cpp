#include "decode/card_slots.h"

#include "decode/atr.h"

void CTVRCardSlots::SetAtr(const tvr::BYTE* bytes, tvr::DWORD count, tvr::BYTE slot) {
  if (slot >= SLOT_COUNT) return;
  Slot& s = m_slots[slot];
  // An answer of no bytes is no answer to reset: the slot shows "no data".
  s.hasAtr = bytes && count;
  if (s.hasAtr)
    s.atr.assign(bytes, bytes + count);
  else
    s.atr.clear();
  m_nShown = slot;
  if (m_pListener) m_pListener->OnShowAtr(slot);
}

void CTVRCardSlots::SetMask(const tvr::BYTE* bytes, tvr::DWORD count, tvr::BYTE slot) {
  if (slot >= SLOT_COUNT) return;
  // The mask is the reader's, not a card's: every slot gets it.
  for (Slot& s : m_slots) {
    if (bytes && count)
      s.mask.assign(bytes, bytes + count);
    else
      s.mask.clear();
    s.hasMask = true;
  }
  m_nShown = slot;
  m_bMaskShown = true;
  if (m_pListener) m_pListener->OnShowMask(slot);
}

void CTVRCardSlots::ShowSlot(tvr::BYTE slot) {
  if (slot >= SLOT_COUNT) return;
  m_nShown = slot;
  m_bMaskShown = true;
  if (m_pListener) {
    m_pListener->OnShowAtr(slot);
    m_pListener->OnShowMask(slot);
  }
}

void CTVRCardSlots::ClearAtr(tvr::BYTE slot) {
  if (slot >= SLOT_COUNT) return;
  m_slots[slot].hasAtr = false;
  m_slots[slot].atr.clear();
  ShowSlot(slot);
}

bool CTVRCardSlots::HasAtr(int slot) const {
  return slot >= 0 && slot < SLOT_COUNT && m_slots[slot].hasAtr;
}

const std::vector<tvr::BYTE>& CTVRCardSlots::GetAtr(int slot) const {
  static const std::vector<tvr::BYTE> none;
  if (slot < 0 || slot >= SLOT_COUNT) return none;
  return m_slots[slot].atr;
}

std::string CTVRCardSlots::GetMask(int slot) const {
  if (slot < 0 || slot >= SLOT_COUNT || !m_slots[slot].hasMask) return std::string();
  const std::vector<tvr::BYTE>& mask = m_slots[slot].mask;
  std::string text;
  for (tvr::BYTE b : mask) {
    if (b == 0) break;
    text.push_back(char(b));
  }
  return text;
}

std::vector<std::string> CTVRCardSlots::GetAtrLines(int slot) const {
  if (!HasAtr(slot)) return {NO_DATA};
  const std::vector<tvr::BYTE>& atr = m_slots[slot].atr;
  CAtr record;
  record.Parse(atr.data(), tvr::DWORD(atr.size()));
  const std::string text = record.Format();
  // One line per CR LF; text after the last one would not be shown.
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
    lines.push_back(text.substr(start, end - start));
  return lines;
}

std::string CTVRCardSlots::GetMaskLine(int slot) const {
  return std::string(MASK_ITEM) + " " + GetMask(slot);
}

std::string CTVRCardSlots::GetShownMaskLine() const {
  return m_bMaskShown ? GetMaskLine(m_nShown) : std::string(MASK_ITEM);
}

#include "decode/card_slots.h"

void CTVRCardSlots::SetAtr(const tvr::BYTE* bytes, tvr::DWORD count, tvr::BYTE slot) {
  if (slot >= SLOT_COUNT) return;
  Slot& s = m_slots[slot];
  if (bytes && count)
    s.atr.assign(bytes, bytes + count);
  else
    s.atr.clear();
  s.hasAtr = true;
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
  if (m_pListener) m_pListener->OnShowMask(slot);
}

void CTVRCardSlots::ShowSlot(tvr::BYTE slot) {
  if (slot >= SLOT_COUNT) return;
  m_nShown = slot;
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

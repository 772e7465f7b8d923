// The six card slots of the card parameters bar: each with a copy of its
// answer to reset, and the reader's mask, which is one for all slots. The
// desktop bar shows them; the core keeps them and tells listeners what to show.
#pragma once

#include <string>
#include <vector>

#include <tavric/types.h>

class CTVRCardSlots {
 public:
  static constexpr int SLOT_COUNT = 6;

  class Listener {
   public:
    virtual ~Listener() = default;
    // The slot whose answer to reset (and, when maskToo, mask) is to be shown.
    virtual void OnShowAtr(int slot) = 0;
    virtual void OnShowMask(int slot) = 0;
  };

  // Every operation ignores a slot of 6 or more.
  void SetAtr(const tvr::BYTE* bytes, tvr::DWORD count, tvr::BYTE slot);
  void SetMask(const tvr::BYTE* bytes, tvr::DWORD count, tvr::BYTE slot);
  void ShowSlot(tvr::BYTE slot);
  void ClearAtr(tvr::BYTE slot);

  bool HasAtr(int slot) const;
  const std::vector<tvr::BYTE>& GetAtr(int slot) const;
  // The mask up to its first zero byte; empty when there is none.
  std::string GetMask(int slot) const;
  int GetShownSlot() const { return m_nShown; }

  void SetListener(Listener* pListener) { m_pListener = pListener; }

 private:
  struct Slot {
    bool hasAtr = false;
    std::vector<tvr::BYTE> atr;
    bool hasMask = false;
    std::vector<tvr::BYTE> mask;
  };
  Slot m_slots[SLOT_COUNT];
  int m_nShown = 0;
  Listener* m_pListener = nullptr;
};

// The six card slots of the card parameters bar: each with a copy of its
// answer to reset, and the reader's mask, which is one for all slots. The
// core keeps them and the lines the bar shows; the desktop bar and
// `tavric-run --card-params` show those lines.
#pragma once

#include <string>
#include <vector>

#include <tavric/types.h>

class CTVRCardSlots {
 public:
  static constexpr int SLOT_COUNT = 6;
  // The two root items of the bar and the child of an empty ATR item.
  static constexpr const char* ATR_ITEM = " ATR :";
  static constexpr const char* NO_DATA = "no data";
  static constexpr const char* MASK_ITEM = " Mask :";

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

  // The children of the ATR item for a slot: the decoded answer to reset, one
  // line per field, or "no data" when the slot has none.
  std::vector<std::string> GetAtrLines(int slot) const;
  // The mask item for a slot: " Mask : " and the mask up to its first zero.
  std::string GetMaskLine(int slot) const;
  // What the bar shows now: " ATR :", its children, then the mask item, which
  // is " Mask :" alone until a mask or a slot has been shown.
  std::vector<std::string> GetShownAtrLines() const { return GetAtrLines(m_nShown); }
  std::string GetShownMaskLine() const;

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
  bool m_bMaskShown = false;
  Listener* m_pListener = nullptr;
};

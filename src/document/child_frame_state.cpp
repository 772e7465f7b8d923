#include "document/child_frame_state.h"

#include <array>
#include <utility>

#include <tavric/registry.h>

namespace {

using S = CTVRChildFrameState;

// The row heights, after "Placement", in the order they are read and written.
constexpr std::array<std::pair<const char*, int S::*>, 4> kRows{{
    {"Row0.cur", &S::m_nRow0Cur},
    {"Row0.min", &S::m_nRow0Min},
    {"Row1.cur", &S::m_nRow1Cur},
    {"Row1.min", &S::m_nRow1Min},
}};
constexpr const char* kPlacement = "Placement";

}  // namespace

int CTVRChildFrameState::LoadState(CTVRRegistry& reg) {
  // Read into a copy, so that a section missing any value changes nothing.
  CTVRChildFrameState read;
  // A hand-edited placement of another size would be applied as garbage: it
  // counts as missing.
  if (!reg.Read(kPlacement, read.m_Placement) || read.m_Placement.size() != PLACEMENT_SIZE) return 1;
  for (const auto& [name, field] : kRows)
    if (!reg.Read(name, read.*field)) return 1;
  read.m_bValid = TRUE;
  *this = std::move(read);
  return 1;
}

int CTVRChildFrameState::SaveState(CTVRRegistry& reg) const {
  if (!m_bValid || m_Placement.size() != PLACEMENT_SIZE) return 0;
  if (!reg.Write(kPlacement, m_Placement.data(), PLACEMENT_SIZE)) return 0;
  for (const auto& [name, field] : kRows)
    if (!reg.Write(name, this->*field)) return 0;
  return 1;
}

// Where the prompts in force are chosen: the headless ones until others are
// set. The host context is one; a prompt recorder sets itself on one for as
// long as it lives.
#pragma once

#include "platform/user_prompts.h"

class CTVRPromptSlot {
 public:
  // The prompts in force: the headless ones until others are set.
  CTVRUserPrompts& Prompts() { return m_pPrompts != nullptr ? *m_pPrompts : m_HeadlessPrompts; }
  // Sets the prompts (not owned); null puts the headless ones back.
  void SetPrompts(CTVRUserPrompts* pPrompts) { m_pPrompts = pPrompts; }

 private:
  CTVRHeadlessPrompts m_HeadlessPrompts;
  CTVRUserPrompts* m_pPrompts = nullptr;
};

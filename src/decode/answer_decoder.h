// Turns every answer a reader sends into trace text, feeds the card slots and
// the cyphering object, and decides whether the answer ends the running
// statement. The document's OnReceiveAnswer hands each answer here.
#pragma once

#include <tavric/types.h>

class CTVRBoardDoc;

class CTVRAnswerDecoder {
 public:
  static void Decode(CTVRBoardDoc& doc, tvr::BYTE* answer, tvr::DWORD length);
};

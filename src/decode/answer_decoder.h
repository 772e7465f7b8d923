// Turns every answer a reader sends into trace text, feeds the card slots and
// the cyphering object, and judges what the answer means for the run: its
// verdict, which the document hands to its run controller. The decoder reads
// the run's state (an answer nobody waits for is traced whatever trace on
// says: the controller sees to that when the answer arrives) and never
// changes it. The document's OnReceiveAnswer hands each answer here.
#pragma once

#include <tavric/types.h>

#include "decode/answer_verdict.h"

class CTVRAnswerSink;

class CTVRAnswerDecoder {
 public:
  [[nodiscard]] static CTVRAnswerVerdict Decode(CTVRAnswerSink& doc, tvr::BYTE* answer, tvr::DWORD length);
};

// The frame geometry of each shipped protocol, by the protocol's name: the
// one table that ties a selected protocol to the layout its frame class
// describes.
#pragma once

#include <string>

#include "frame_geometry.h"

// Null for a protocol whose frames carry no length (PC/SC) or that is not
// known here: its frames end where the line falls silent.
const CTVRFrameGeometry* FindFrameGeometry(const std::string& protocol);

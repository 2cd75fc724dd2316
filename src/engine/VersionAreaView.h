#pragma once
#include "engine/UpdateHost.h"
#include "images/VersionArea.h"

namespace p25 {

// Puts the version area on a window: every control of it shown or hidden, with its text. Front ends
// run it at start-up; the engine when an update chooses a family and when it ends.
void ShowVersionArea(UpdateHost& host, const VersionArea& area);

}  // namespace p25

#pragma once
#include <array>
#include <optional>
#include <string>

#include "images/Catalogue.h"

namespace p25 {

// What the main window's version area shows, as data: per family box its CONTROL caption, whether its
// DSP caption shows, and its version lines; per image whether the path of its file shows. Front ends
// and the engine put it on screen; the catalogue never touches a window.
struct VersionArea {
  struct Line {
    bool shown = false;
    std::string text;
  };
  struct Family {
    // "S/W Version" when the family's images all carry a .0 version and share one line.
    std::string controlCaption;
    bool dspCaptionShown = false;
    Line control;  // "503+": blocks A and B share this line, which shows block A's version
    Line dsp;
  };
  Family family503;
  Family family501;
  Line flash;  // the FLASH code's version is never shown
  std::array<Line, kSlotCount> paths;  // in SlotName order
};

// The version area for the catalogue's images and carried versions. While an update installs a family,
// the other family's version lines and paths are hidden (its box and captions stay).
VersionArea DescribeVersionArea(const ImageCatalogue& catalogue,
                                std::optional<ImageFamily> installing = std::nullopt);

}  // namespace p25

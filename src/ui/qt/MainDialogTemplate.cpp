#include "MainDialogTemplate.h"

#include <array>

#include "engine/ControlIds.h"
#include "images/CatalogueDisplay.h"

namespace p25 {

namespace {

using K = ControlKind;

constexpr std::array kControls{
    ControlTemplate{kIdUpdateButton, K::DefaultButton, "&Update", 34, 156, 50, 14, true},
    ControlTemplate{kIdExitButton, K::PushButton, "&Exit", 111, 156, 50, 14, true},
    ControlTemplate{kIdPortList, K::DropList, "", 47, 132, 48, 110, true},
    ControlTemplate{1006, K::Text, "Comm Port", 7, 133, 36, 9, true},
    ControlTemplate{kIdActivityLine, K::ActivityLine, "", 7, 176, 184, 18, true},
    ControlTemplate{kIdErrorLine, K::ErrorLine, "", 7, 199, 184, 20, true},
    ControlTemplate{kIdOverallProgress, K::ProgressBar, "", 7, 254, 184, 11, false},
    ControlTemplate{kIdVersion503Control, K::Text, "0.0.0", 80, 35, 28, 8, true},
    ControlTemplate{kIdNone, K::Icon, "", 170, 38, 20, 20, true},
    ControlTemplate{1018, K::Text, "Baud Rate", 99, 133, 36, 9, true},
    ControlTemplate{kIdBaudList, K::DropList, "", 143, 132, 48, 74, true},
    ControlTemplate{kIdTimeCaption, K::Text, "Estimated time remaining :", 7, 218, 86, 12, false},
    ControlTemplate{kIdTimeValue, K::Text, "0 min 0 secs", 105, 217, 86, 12, false},
    ControlTemplate{kIdStepProgress, K::ProgressBar, "", 7, 197, 184, 11, false},
    ControlTemplate{kIdBytesCaption, K::Text, "Bytes remaining :", 7, 239, 86, 12, false},
    ControlTemplate{kIdBytesValue, K::Text, "0", 105, 239, 86, 12, false},
    ControlTemplate{kIdPicture, K::Picture, "", 16, 197, 164, 40, true},
    ControlTemplate{kIdVersion501Control, K::Text, "0.0.0", 80, 87, 28, 8, true},
    ControlTemplate{kIdCaption503Control, K::Text, "Control S/W Version:", 9, 35, 68, 8, true},
    ControlTemplate{kIdCaption501Control, K::Text, "Control S/W Version:", 9, 87, 67, 8, true},
    ControlTemplate{kIdGroup503, K::GroupBox, "503+", 7, 27, 162, 50, true},
    ControlTemplate{kIdGroup501, K::GroupBox, "501", 7, 77, 162, 36, true},
    ControlTemplate{kIdCaption503Dsp, K::Text, "DSP S/W Version:", 9, 49, 62, 8, true},
    ControlTemplate{kIdVersion503Dsp, K::Text, "0.0.0", 80, 49, 28, 8, true},
    ControlTemplate{kIdCaption501Dsp, K::Text, "DSP S/W Version:", 9, 100, 61, 8, true},
    ControlTemplate{kIdVersion501Dsp, K::Text, "0.0.0", 80, 100, 28, 8, true},
    // The version area's path fields and FLASH row, shown only when an image comes from a file.
    ControlTemplate{kIdPathControlA, K::PathField, "", 64, 34, 93, 12, false},
    ControlTemplate{kIdPathControlB, K::PathField, "", 64, 47, 93, 12, false},
    ControlTemplate{kIdPathDsp, K::PathField, "", 64, 60, 93, 12, false},
    ControlTemplate{kIdPathControl, K::PathField, "", 64, 83, 93, 12, false},
    ControlTemplate{kIdPathDsp501, K::PathField, "", 64, 96, 93, 12, false},
    ControlTemplate{kIdCaptionFlash, K::Text, "Flash S/W:", 7, 11, 51, 8, false},
    ControlTemplate{kIdVersionFlash, K::Text, "0.0.0", 74, 11, 28, 8, false},
    ControlTemplate{kIdPathFlash, K::PathField, "", 64, 7, 93, 12, false},
    // Captions of the older layout; initialisation hides them for good.
    ControlTemplate{kIdCaptionControl1, K::Text, "Control S/W 1:", 9, 35, 48, 8, true},
    ControlTemplate{kIdCaptionControl2, K::Text, "Control S/W 2:", 9, 49, 49, 8, true},
    ControlTemplate{kIdCaptionDspUnnamed, K::Text, "DSP S/W:", 9, 63, 51, 8, true},
    ControlTemplate{kIdCaptionControl, K::Text, "Control S/W:", 9, 87, 45, 8, true},
    ControlTemplate{kIdCaptionDsp, K::Text, "DSP S/W:", 9, 100, 62, 8, true},
};

}  // namespace

std::span<const ControlTemplate> MainDialogControls() { return kControls; }

}  // namespace p25

#pragma once
#include <string>

namespace p25 {

// Controls of the main window's version area, by the ids of the main dialog template.
enum CatalogueControlId : int {
  kIdVersion503Control = 1007,  // shared by the "503+" CONTROL blocks A and B
  kIdVersion503Dsp = 1008,
  kIdVersion501Control = 1022,
  kIdVersion501Dsp = 1024,
  kIdVersionFlash = 1028,
  kIdPathControlA = 1026,
  kIdPathControlB = 1023,
  kIdPathDsp = 1027,
  kIdPathControl = 1060,
  kIdPathDsp501 = 1063,
  kIdPathFlash = 1029,
  kIdGroup503 = 1067,
  kIdGroup501 = 1068,
  kIdCaption503Control = 1071,
  kIdCaption503Dsp = 1072,
  kIdCaption501Control = 1031,
  kIdCaption501Dsp = 1073,
  kIdCaptionFlash = 1069,
  // Captions of an older layout that initialisation hides for good.
  kIdCaptionControl1 = 1061,
  kIdCaptionControl2 = 1025,
  kIdCaptionControl = 1059,
  kIdCaptionDsp = 1062,
  // "DSP S/W:" at 9,63 has no id in the template; front ends give it this one.
  kIdCaptionDspUnnamed = 1074,
};

// What the catalogue needs of the window: show or hide a control, set its text, and show a modal
// notice (OK button, exclamation icon, captioned with the application's name).
class CatalogueDisplay {
public:
  virtual ~CatalogueDisplay() = default;
  virtual void ShowControl(int id, bool show) = 0;
  virtual void SetControlText(int id, const std::string& text) = 0;
  virtual void ShowMessage(const std::string& text) = 0;
};

}  // namespace p25

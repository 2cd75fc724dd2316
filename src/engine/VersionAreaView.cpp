#include "engine/VersionAreaView.h"

#include "engine/ControlIds.h"

namespace p25 {

void ShowVersionArea(UpdateHost& host, const VersionArea& area) {
  const auto line = [&host](int id, const VersionArea::Line& shown) {
    host.SetControlText(id, shown.text);
    host.ShowControl(id, shown.shown);
  };
  const struct {
    const VersionArea::Family& family;
    int group, controlCaption, control, dspCaption, dsp;
  } boxes[] = {
      {area.family503, kIdGroup503, kIdCaption503Control, kIdVersion503Control, kIdCaption503Dsp, kIdVersion503Dsp},
      {area.family501, kIdGroup501, kIdCaption501Control, kIdVersion501Control, kIdCaption501Dsp, kIdVersion501Dsp},
  };
  for (const auto& box : boxes) {
    host.ShowControl(box.group, true);
    line(box.controlCaption, {true, box.family.controlCaption});
    host.ShowControl(box.dspCaption, box.family.dspCaptionShown);
    line(box.control, box.family.control);
    line(box.dsp, box.family.dsp);
  }
  host.ShowControl(kIdCaptionFlash, false);
  line(kIdVersionFlash, area.flash);
  static constexpr int kPathIds[kSlotCount] = {kIdPathFlash, kIdPathControlA, kIdPathControlB,
                                               kIdPathDsp,   kIdPathControl,  kIdPathDsp501};
  for (size_t i = 0; i < kSlotCount; ++i) line(kPathIds[i], area.paths[i]);
  // The captions of an older layout give way to the family boxes.
  for (int id : {kIdCaptionControl1, kIdCaptionControl2, kIdCaptionDspUnnamed, kIdCaptionControl, kIdCaptionDsp})
    host.ShowControl(id, false);
}

}  // namespace p25

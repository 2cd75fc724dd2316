#pragma once
#include <span>

namespace p25 {

// The main window's layout in dialog units: every control with its id, kind, initial text, place and
// whether it shows when the window is created.
enum class ControlKind {
  DefaultButton,
  PushButton,
  DropList,
  Text,
  ActivityLine,
  ErrorLine,
  ProgressBar,
  Icon,
  Picture,
  GroupBox,
  PathField
};

struct ControlTemplate {
  int id;
  ControlKind kind;
  const char* text;
  int x, y, width, height;
  bool visible;
};

inline constexpr int kMainDialogWidth = 198;
inline constexpr int kMainDialogHeight = 274;
// The decoration icon has no id of its own.
inline constexpr int kIdNone = 0;

inline constexpr char kTemplateTitle[] = "Radio Software Update";
inline constexpr char kWindowTitle[] = "Ovrane 25 Firmware Update";

// In template order, which is also the stacking order (later controls lie above earlier ones).
std::span<const ControlTemplate> MainDialogControls();

}  // namespace p25

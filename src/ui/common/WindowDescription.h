#pragma once
// What every window of the updater looks like and says: the main window with every control, the About,
// help and "Please Wait" windows, the menu and the texts. The Qt window builds itself from this; a test
// holds the Windows resource script (resources/p25update.rc) against it, so the two cannot differ.
// Places are in dialog units (quarters of the font's average character width, eighths of its height).
#include <iterator>
#include <span>
#include <string>

#include "platform/LogFolder.h"

#include "Version.h"
#include "engine/ControlIds.h"

namespace p25::ui {

enum class ControlKind {
  DefaultButton,
  PushButton,
  DropList,     // not sorted, no typing
  Text,         // left-aligned; wraps when it has room for more than one line
  CentredText,  // centred, wrapping
  ProgressBar,  // 0 to 100
  Icon,         // the program icon
  Picture,      // the logo, at its own size, centred on its place
  GroupBox,
  PathField,    // read-only, scrolls sideways, no tab stop
};

// Looks beyond the kind.
enum ControlStyle : unsigned {
  kPlain = 0,
  kSunken = 1u << 0,
  kStaticEdge = 1u << 1,
  kTransparent = 1u << 2,  // drawn over what lies beneath
  kBorder = 1u << 3,
  kNoPrefix = 1u << 4,     // "&" shows as itself
  kGroupStart = 1u << 5,
};

struct Place {
  int x, y, width, height;
};

inline constexpr int kNoId = -1;  // decorations
inline constexpr int kIdOk = 1;

struct ControlTemplate {
  int id;
  ControlKind kind;
  const char* text;
  Place place;
  unsigned style;
  bool visible;  // when the window is created
};

struct WindowTemplate {
  int templateId;
  const char* title;
  int width, height;
  std::span<const ControlTemplate> controls;  // in template order, which is also the stacking order
};

using K = ControlKind;

// The main window. Start-up replaces its title and hides or shows the version area (engine/
// VersionAreaView.cpp); the engine shows the status controls during an update.
inline constexpr ControlTemplate kMainControls[] = {
    {kIdUpdateButton, K::DefaultButton, "&Update", {34, 156, 50, 14}, kPlain, true},
    {kIdExitButton, K::PushButton, "&Exit", {111, 156, 50, 14}, kPlain, true},
    {kIdPortList, K::DropList, "", {47, 132, 48, 110}, kPlain, true},
    {kIdPortCaption, K::Text, "Comm Port", {7, 133, 36, 9}, kPlain, true},
    {kIdActivityLine, K::Text, "", {7, 176, 184, 18}, kSunken | kTransparent, true},
    {kIdErrorLine, K::Text, "", {7, 199, 184, 20}, kSunken | kStaticEdge, true},
    {kIdOverallProgress, K::ProgressBar, "", {7, 254, 184, 11}, kBorder, false},
    {kIdVersion503Control, K::Text, "0.0.0", {80, 35, 28, 8}, kPlain, true},
    {kNoId, K::Icon, "", {170, 38, 20, 20}, kPlain, true},
    {kIdBaudCaption, K::Text, "Baud Rate", {99, 133, 36, 9}, kPlain, true},
    {kIdBaudList, K::DropList, "", {143, 132, 48, 74}, kPlain, true},
    {kIdTimeCaption, K::Text, "Estimated time remaining :", {7, 218, 86, 12}, kPlain, false},
    {kIdTimeValue, K::Text, "0 min 0 secs", {105, 217, 86, 12}, kPlain, false},
    {kIdStepProgress, K::ProgressBar, "", {7, 197, 184, 11}, kBorder, false},
    {kIdBytesCaption, K::Text, "Bytes remaining :", {7, 239, 86, 12}, kPlain, false},
    {kIdBytesValue, K::Text, "0", {105, 239, 86, 12}, kPlain, false},
    {kIdPicture, K::Picture, "", {16, 197, 164, 40}, kSunken | kBorder, true},
    {kIdVersion501Control, K::Text, "0.0.0", {80, 87, 28, 8}, kPlain, true},
    {kIdCaption503Control, K::Text, "Control S/W Version:", {9, 35, 68, 8}, kPlain, true},
    {kIdCaption501Control, K::Text, "Control S/W Version:", {9, 87, 67, 8}, kPlain, true},
    {kIdGroup503, K::GroupBox, "503+", {7, 27, 162, 50}, kPlain, true},
    {kIdGroup501, K::GroupBox, "501", {7, 77, 162, 36}, kPlain, true},
    {kIdCaption503Dsp, K::Text, "DSP S/W Version:", {9, 49, 62, 8}, kPlain, true},
    {kIdVersion503Dsp, K::Text, "0.0.0", {80, 49, 28, 8}, kPlain, true},
    {kIdCaption501Dsp, K::Text, "DSP S/W Version:", {9, 100, 61, 8}, kPlain, true},
    {kIdVersion501Dsp, K::Text, "0.0.0", {80, 100, 28, 8}, kPlain, true},
    {kIdCaptionFlash, K::Text, "Flash S/W:", {7, 11, 51, 8}, kPlain, false},
    {kIdVersionFlash, K::Text, "0.0.0", {74, 11, 28, 8}, kPlain, false},
    {kIdPathFlash, K::PathField, "", {64, 7, 93, 12}, kPlain, false},
    {kIdPathControlA, K::PathField, "", {64, 34, 93, 12}, kPlain, false},
    {kIdPathControlB, K::PathField, "", {64, 47, 93, 12}, kPlain, false},
    {kIdPathDsp, K::PathField, "", {64, 60, 93, 12}, kPlain, false},
    {kIdPathControl, K::PathField, "", {64, 83, 93, 12}, kPlain, false},
    {kIdPathDsp501, K::PathField, "", {64, 96, 93, 12}, kPlain, false},
    // Captions of an older layout; start-up hides them for good.
    {kIdCaptionControl1, K::Text, "Control S/W 1:", {9, 35, 48, 8}, kPlain, true},
    {kIdCaptionControl2, K::Text, "Control S/W 2:", {9, 49, 49, 8}, kPlain, true},
    {kIdCaptionDspUnnamed, K::Text, "DSP S/W:", {9, 63, 51, 8}, kPlain, true},
    {kIdCaptionControl, K::Text, "Control S/W:", {9, 87, 45, 8}, kPlain, true},
    {kIdCaptionDsp, K::Text, "DSP S/W:", {9, 100, 62, 8}, kPlain, true},
};
inline constexpr WindowTemplate kMainWindow{P25_IDD_MAIN, "Radio Software Update", 198, 274, kMainControls};

inline constexpr ControlTemplate kAboutControls[] = {
    {kNoId, K::Icon, "", {11, 17, 20, 20}, kPlain, true},
    {kNoId, K::Text, P25_ABOUT_VERSION_TEXT, {39, 17, 119, 8}, kNoPrefix, true},
    {kIdOk, K::DefaultButton, "OK", {178, 7, 32, 14}, kGroupStart, true},
};
inline constexpr WindowTemplate kAboutWindow{P25_IDD_ABOUT, "About Update", 217, 55, kAboutControls};

// The help text is put into its control when the window opens (HelpText below).
inline constexpr ControlTemplate kHelpControls[] = {
    {kIdOk, K::DefaultButton, "OK", {112, 152, 50, 14}, kPlain, true},
    {P25_IDC_HELP_TEXT, K::CentredText, "", {40, 20, 184, 118}, kPlain, true},
    {kNoId, K::Icon, "", {229, 32, 21, 20}, kPlain, true},
};
inline constexpr WindowTemplate kHelpWindow{P25_IDD_CONTROLS_HELP, "Update Control Help", 267, 173, kHelpControls};

inline constexpr ControlTemplate kPleaseWaitControls[] = {
    {P25_IDC_WAIT_TITLE, K::Text, "Please Wait.", {71, 32, 108, 11}, kPlain, true},
    {P25_IDC_WAIT_NOTICE, K::Text, "Do not disconnect the radio while the orange LED is lit.", {72, 45, 97, 58},
     kPlain, true},
};
inline constexpr WindowTemplate kPleaseWaitWindow{P25_IDD_PLEASE_WAIT, "Please Wait", 279, 156, kPleaseWaitControls};

inline constexpr const WindowTemplate* kWindows[] = {&kMainWindow, &kAboutWindow, &kHelpWindow, &kPleaseWaitWindow};

// The main window's title once it has started.
inline constexpr char kMainWindowTitle[] = "Ovrane 25 Firmware Update";
// The caption of every message box.
inline constexpr char kApplicationName[] = "Update";

// The main window's menu bar: one popup with two commands.
struct MenuCommand {
  int command;
  const char* text;
};
inline constexpr char kHelpMenu[] = "&Help";
inline constexpr MenuCommand kHelpMenuCommands[] = {
    {P25_ID_HELP_CONTROLS, "&Controls"},
    {P25_ID_HELP_ABOUT, "&About"},
};
// Added to the main window's system menu, below a separator; opens the About window.
inline constexpr char kAboutEntry[] = "&About Update...";

// The help window's lines, centred.
inline constexpr const char* kHelpLines[] = {
    "For help with this update, call Ovrane Technical Support at 1-800-555-0147.",
    "",
    "Update will check the hardware version of the attached radio (7305812-501 or 7305812-503 or later) and "
    "automatically select the correct software version.",
    "",
    "If the radio does not answer after an update was stopped or failed, switch the radio off and on and "
    "update it again.",
};

// The lines, and where this machine keeps the support logs that technical support asks for.
inline std::string HelpText() {
  std::string text = kHelpLines[0];
  for (size_t i = 1; i < std::size(kHelpLines); ++i) text += std::string("\n") + kHelpLines[i];
  return text + "\n\nEvery update keeps a support log in " + DefaultLogFolder() + ".";
}

}  // namespace p25::ui

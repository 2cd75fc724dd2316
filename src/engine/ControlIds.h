// Ids of the windows, their controls and commands, and the window's resources: the one list that both
// the resource script (through the resource compiler's preprocessor, which reads only the #defines)
// and the code read. The engine reaches controls by these ids through UpdateHost.
#pragma once

// Dialog templates.
#define P25_IDD_ABOUT 100
#define P25_IDD_MAIN 102
#define P25_IDD_PLEASE_WAIT 153
#define P25_IDD_CONTROLS_HELP 177

// Icon, menu, bitmap and string.
#define P25_IDI_PROGRAM 128
#define P25_IDR_MAIN_MENU 129
#define P25_IDB_LOGO 146
#define P25_IDS_ABOUT_ENTRY 101

// Commands: the system menu's About entry and the Help menu.
#define P25_IDM_ABOUT_BOX 0x0010
#define P25_ID_HELP_CONTROLS 32772
#define P25_ID_HELP_ABOUT 32775

// Controls of the main window.
#define P25_IDC_EXIT 1000
#define P25_IDC_UPDATE 1001
#define P25_IDC_ERROR_LINE 1002
#define P25_IDC_PORT_LIST 1003
#define P25_IDC_OVERALL_PROGRESS 1004
#define P25_IDC_ACTIVITY_LINE 1005
#define P25_IDC_PORT_CAPTION 1006
#define P25_IDC_VERSION_503_CONTROL 1007
#define P25_IDC_VERSION_503_DSP 1008
#define P25_IDC_BAUD_LIST 1014
#define P25_IDC_TIME_CAPTION 1015
#define P25_IDC_TIME_VALUE 1016
#define P25_IDC_STEP_PROGRESS 1017
#define P25_IDC_BAUD_CAPTION 1018
#define P25_IDC_BYTES_CAPTION 1019
#define P25_IDC_BYTES_VALUE 1020
#define P25_IDC_PICTURE 1021
#define P25_IDC_VERSION_501_CONTROL 1022
#define P25_IDC_PATH_CONTROL_B 1023
#define P25_IDC_VERSION_501_DSP 1024
#define P25_IDC_CAPTION_CONTROL_2 1025
#define P25_IDC_PATH_CONTROL_A 1026
#define P25_IDC_PATH_DSP 1027
#define P25_IDC_VERSION_FLASH 1028
#define P25_IDC_PATH_FLASH 1029
#define P25_IDC_CAPTION_501_CONTROL 1031
#define P25_IDC_CAPTION_CONTROL 1059
#define P25_IDC_PATH_CONTROL 1060
#define P25_IDC_CAPTION_CONTROL_1 1061
#define P25_IDC_CAPTION_DSP 1062
#define P25_IDC_PATH_DSP_501 1063
#define P25_IDC_GROUP_503 1067
#define P25_IDC_GROUP_501 1068
#define P25_IDC_CAPTION_FLASH 1069
#define P25_IDC_CAPTION_503_CONTROL 1071
#define P25_IDC_CAPTION_503_DSP 1072
#define P25_IDC_CAPTION_501_DSP 1073
// "DSP S/W:" at 9,63 has no id of its own in the original layout; this one lets code hide it.
#define P25_IDC_CAPTION_DSP_UNNAMED 1074

// Controls of the small windows.
#define P25_IDC_HELP_TEXT 1070
#define P25_IDC_WAIT_TITLE 1028
#define P25_IDC_WAIT_NOTICE 1029

#ifndef RC_INVOKED
#include <cstdint>

namespace p25 {

enum ControlId : int {
  kIdExitButton = P25_IDC_EXIT,
  kIdUpdateButton = P25_IDC_UPDATE,
  kIdErrorLine = P25_IDC_ERROR_LINE,
  kIdPortList = P25_IDC_PORT_LIST,
  kIdOverallProgress = P25_IDC_OVERALL_PROGRESS,
  kIdActivityLine = P25_IDC_ACTIVITY_LINE,
  kIdPortCaption = P25_IDC_PORT_CAPTION,
  kIdBaudList = P25_IDC_BAUD_LIST,
  kIdBaudCaption = P25_IDC_BAUD_CAPTION,
  kIdTimeCaption = P25_IDC_TIME_CAPTION,
  kIdTimeValue = P25_IDC_TIME_VALUE,
  kIdStepProgress = P25_IDC_STEP_PROGRESS,
  kIdBytesCaption = P25_IDC_BYTES_CAPTION,
  kIdBytesValue = P25_IDC_BYTES_VALUE,
  kIdPicture = P25_IDC_PICTURE,
  // The version area.
  kIdVersion503Control = P25_IDC_VERSION_503_CONTROL,  // shared by the "503+" CONTROL blocks A and B
  kIdVersion503Dsp = P25_IDC_VERSION_503_DSP,
  kIdVersion501Control = P25_IDC_VERSION_501_CONTROL,
  kIdVersion501Dsp = P25_IDC_VERSION_501_DSP,
  kIdVersionFlash = P25_IDC_VERSION_FLASH,
  kIdPathControlA = P25_IDC_PATH_CONTROL_A,
  kIdPathControlB = P25_IDC_PATH_CONTROL_B,
  kIdPathDsp = P25_IDC_PATH_DSP,
  kIdPathControl = P25_IDC_PATH_CONTROL,
  kIdPathDsp501 = P25_IDC_PATH_DSP_501,
  kIdPathFlash = P25_IDC_PATH_FLASH,
  kIdGroup503 = P25_IDC_GROUP_503,
  kIdGroup501 = P25_IDC_GROUP_501,
  kIdCaption503Control = P25_IDC_CAPTION_503_CONTROL,
  kIdCaption503Dsp = P25_IDC_CAPTION_503_DSP,
  kIdCaption501Control = P25_IDC_CAPTION_501_CONTROL,
  kIdCaption501Dsp = P25_IDC_CAPTION_501_DSP,
  kIdCaptionFlash = P25_IDC_CAPTION_FLASH,
  // Captions of an older layout that start-up hides for good.
  kIdCaptionControl1 = P25_IDC_CAPTION_CONTROL_1,
  kIdCaptionControl2 = P25_IDC_CAPTION_CONTROL_2,
  kIdCaptionControl = P25_IDC_CAPTION_CONTROL,
  kIdCaptionDsp = P25_IDC_CAPTION_DSP,
  kIdCaptionDspUnnamed = P25_IDC_CAPTION_DSP_UNNAMED,
};

enum TimerId : int {
  kUpdateTimer = 1,
  kRebootWatchdogTimer = 2,
};

inline constexpr uint32_t kUpdateTimerPeriodMs = 50;
inline constexpr uint32_t kRebootWatchdogPeriodMs = 90050;

}  // namespace p25
#endif

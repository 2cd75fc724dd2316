#pragma once
#include <cstdint>

namespace p25 {

// Control ids of the main window, shared by every front end.
enum ControlId : int {
  kIdExitButton = 1000,
  kIdUpdateButton = 1001,
  kIdErrorLine = 1002,
  kIdPortList = 1003,
  kIdOverallProgress = 1004,
  kIdActivityLine = 1005,
  kIdBaudList = 1014,
  kIdTimeCaption = 1015,
  kIdTimeValue = 1016,
  kIdStepProgress = 1017,
  kIdBytesCaption = 1019,
  kIdBytesValue = 1020,
  kIdPicture = 1021,
};

enum TimerId : int {
  kUpdateTimer = 1,
  kRebootWatchdogTimer = 2,
};

inline constexpr uint32_t kUpdateTimerPeriodMs = 50;
inline constexpr uint32_t kRebootWatchdogPeriodMs = 90050;

}  // namespace p25

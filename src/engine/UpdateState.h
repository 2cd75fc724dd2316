#pragma once

namespace p25 {

// The states of one update, in their order; values outside First..Last name no state.
enum class UpdateState : int {
  Start = 1,
  PrepareImages,
  Identify,
  SaveRecovery,
  CheckSerial,
  BootMode,
  DownloadFlash,
  SignFlash,
  ExecuteFlash,
  SetBaudRate,
  CheckCompatibility,
  EraseControlA,
  EraseControlB,
  EraseControl,
  WriteControlA,
  SignControlA,
  WriteControlB,
  SignControlB,
  WriteControl,
  SignControl,
  EraseDsp,
  EraseDsp501,
  WriteDsp,
  SignDsp,
  WriteDsp501,
  SignDsp501,
  RebootRadio,
  AwaitRestart,
  RestoreSerial,
  Complete,
  Failed,
  Finished,
};

inline constexpr int kFirstUpdateState = static_cast<int>(UpdateState::Start);
inline constexpr int kLastUpdateState = static_cast<int>(UpdateState::Finished);

inline bool IsUpdateState(UpdateState state) {
  const int value = static_cast<int>(state);
  return value >= kFirstUpdateState && value <= kLastUpdateState;
}

const char* UpdateStateName(UpdateState state);

}  // namespace p25

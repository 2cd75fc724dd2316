#pragma once
#include <cstddef>
#include <string>

namespace p25 {

// How many update logs the log folder keeps.
inline constexpr size_t kLogFilesKept = 50;

// The user's folder for update logs: $XDG_STATE_HOME/p25update/logs (by default
// ~/.local/state/p25update/logs); on Windows %LOCALAPPDATA%\p25update\logs. Empty when the
// environment names no such place.
std::string DefaultLogFolder();
// Creates the folder and its parents; false with the OS's reason.
bool MakeFolder(const std::string& folder, std::string& reason);
// Removes the oldest update logs (files named by their start time) beyond the newest keep; any other
// file in the folder is left alone.
void PruneLogFolder(const std::string& folder, size_t keep);
// True for the name of an update log: "20240501T102345.log", "20240501T102345-1234ABCD.log".
bool IsUpdateLogName(const std::string& name);
bool RenameFile(const std::string& from, const std::string& to);

}  // namespace p25

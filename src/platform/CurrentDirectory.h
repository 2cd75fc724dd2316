#pragma once
#include <string>

namespace p25 {

// Longest current directory the slots accept; a longer one counts as unobtainable.
inline constexpr size_t kMaxCurrentDirectoryLength = 1023;

// The process's current directory, or empty when it cannot be obtained or is too long.
std::string CurrentDirectory();

// The character that joins a directory and a file name on this OS.
char PathSeparator();

}  // namespace p25

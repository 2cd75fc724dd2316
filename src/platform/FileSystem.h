#pragma once
#include <cstdint>
#include <string>

namespace p25 {

// The few file operations of the recovery file, behind one seam.
// Appends the bytes and forces them to the disk before returning; false if the file cannot be
// opened for appending or the bytes did not all reach the disk, with the OS's code in systemError.
bool AppendDurably(const std::string& path, const std::string& bytes, uint32_t* systemError = nullptr);
// Reads the whole file; false if it cannot be opened or read.
bool ReadWholeFile(const std::string& path, std::string& contents);
// True unless the file is known not to exist: a file that cannot even be looked at counts as there.
bool FileMayExist(const std::string& path);
// Removes the file; false if there was none or it could not be removed.
bool RemoveFile(const std::string& path);

}  // namespace p25

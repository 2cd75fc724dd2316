#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace p25 {

// Reads a whole file into one heap buffer. On failure it sets errorText to "Failed to read <path>" for
// a short read or "File I/O Error" for an error of the file system, and leaves it alone otherwise (the
// caller then adds its own "Failed to load" text).
bool ReadFileContent(const std::string& path, std::unique_ptr<uint8_t[]>& buffer, size_t& length,
                     std::string& errorText);

// The text every file load ends with when nothing more precise was said.
void NoteFailedLoad(const std::string& path, std::string& errorText);

}  // namespace p25

#include <windows.h>

#include <algorithm>

#include "platform/FileSystem.h"

namespace p25 {

bool AppendDurably(const std::string& path, const std::string& bytes, uint32_t* systemError) {
  uint32_t scratch = 0;
  uint32_t& error = systemError != nullptr ? *systemError : scratch;
  error = 0;
  // The first failure is the one worth reporting.
  const auto failed = [&error]() {
    const DWORD code = GetLastError();
    if (error == 0) error = code != 0 ? code : ERROR_WRITE_FAULT;
    return false;
  };
  const HANDLE file = CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return failed();
  bool ok = true;
  size_t done = 0;
  while (ok && done < bytes.size()) {
    DWORD written = 0;
    const auto chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 20));
    if (!WriteFile(file, bytes.data() + done, chunk, &written, nullptr) || written == 0) ok = failed();
    done += written;
  }
  // The record may be the only copy of a serial number: it must be on the disk before flashing.
  if (ok && !FlushFileBuffers(file)) ok = failed();
  if (!CloseHandle(file)) ok = failed();
  return ok;
}

}  // namespace p25

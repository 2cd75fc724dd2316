#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "platform/FileSystem.h"

namespace p25 {

bool AppendDurably(const std::string& path, const std::string& bytes, uint32_t* systemError) {
  uint32_t scratch = 0;
  uint32_t& error = systemError != nullptr ? *systemError : scratch;
  error = 0;
  // The first failure is the one worth reporting.
  const auto failed = [&error](int code) {
    if (error == 0) error = static_cast<uint32_t>(code != 0 ? code : EIO);
    return false;
  };
  const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) return failed(errno);
  size_t done = 0;
  bool ok = true;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      ok = failed(n < 0 ? errno : ENOSPC);
      break;
    }
    done += static_cast<size_t>(n);
  }
  // The record may be the only copy of a serial number: it must be on the disk before flashing.
  if (ok && ::fsync(fd) != 0) ok = failed(errno);
  if (::close(fd) != 0) ok = failed(errno);
  // A new file's name lives in its folder: without this a power cut can lose the file itself.
  if (ok) {
    const size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
    const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    // Some file systems cannot sync a folder at all (EINVAL); theirs is then as durable as it gets.
    if (dir < 0 || (::fsync(dir) != 0 && errno != EINVAL)) ok = failed(errno);
    if (dir >= 0) ::close(dir);
  }
  return ok;
}

}  // namespace p25

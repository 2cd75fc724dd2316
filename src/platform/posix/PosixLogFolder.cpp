#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/LogFolder.h"

namespace p25 {

std::string DefaultLogFolder() {
  // The base directory specification ignores a relative XDG_STATE_HOME.
  const char* state = std::getenv("XDG_STATE_HOME");
  std::string base;
  if (state != nullptr && state[0] == '/') {
    base = state;
  } else if (const char* home = std::getenv("HOME"); home != nullptr && home[0] != '\0') {
    base = std::string(home) + "/.local/state";
  } else {
    return {};
  }
  return base + "/p25update/logs";
}

std::FILE* CreateNewFile(const std::string& path) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (fd < 0) return nullptr;
  std::FILE* file = ::fdopen(fd, "wb");
  if (file == nullptr) {
    const int error = errno;
    ::close(fd);
    errno = error;
  }
  return file;
}

bool RenameNoReplace(const std::string& from, const std::string& to) {
  // A second name that cannot replace anything, then the first one goes.
  if (::link(from.c_str(), to.c_str()) == 0) {
    // Should the old name stay, the file is still under the new one.
    ::unlink(from.c_str());
    return true;
  }
  // File systems without links: the check and the rename are then two steps.
  if (errno == EEXIST || ::access(to.c_str(), F_OK) == 0) return false;
  return std::rename(from.c_str(), to.c_str()) == 0;
}

}  // namespace p25

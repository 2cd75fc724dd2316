#pragma once
#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdio>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

namespace p25 {

// Writes one log file on a thread of its own, so the thread that talks to the radio only appends to
// memory and never waits for a disk. Text waiting beyond kMaxPending is dropped and counted. A file
// that cannot be written is given up at once: Failed() says so and nothing is kept from then on.
class LogWriter {
public:
  static constexpr size_t kMaxPending = 8u << 20;
  static constexpr size_t kWakeAt = 64u << 10;  // pending text that wakes the writer without a Flush

  // The file is created (its folder too when makeFolder), replacing one of that name; once it is open
  // the folder is pruned to its newest keep logs when keep is not 0.
  LogWriter(std::string path, bool makeFolder, size_t keep);
  ~LogWriter();
  LogWriter(const LogWriter&) = delete;
  LogWriter& operator=(const LogWriter&) = delete;

  void Append(std::string_view text);
  // Asks for what is pending to be written now.
  void Flush();
  // Asks for the file to be renamed (within its folder) before the next write.
  void Rename(std::string path);
  // Asks for the rest to be written and the file closed; returns at once.
  void Finish();
  // Finishes and waits until the file is closed.
  void Join();

  bool Failed() const { return failed_.load(std::memory_order_relaxed); }
  // "path: reason" once Failed().
  std::string Failure() const;
  // Where the file is, or will be once a rename asked for is done.
  std::string Path() const;

private:
  void Run();
  void Open();
  void Write(const std::string& text);
  void MoveTo(const std::string& path);
  void Fail(const std::string& reason);

  mutable std::mutex mutex_;
  std::condition_variable wake_;
  std::string pending_;
  size_t dropped_ = 0;
  bool flush_ = false;
  bool finishing_ = false;
  std::string renameTo_;
  std::string path_;       // guarded: read by Path()
  std::string failure_;    // guarded
  std::atomic<bool> failed_{false};

  // The writer thread's own.
  std::string filePath_;
  std::FILE* file_ = nullptr;
  const bool makeFolder_;
  const size_t keep_;
  std::thread thread_;
};

}  // namespace p25

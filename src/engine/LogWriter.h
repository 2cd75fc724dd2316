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

  // A new file of its own in the folder (made if need be): name.log, or name-2.log and so on when
  // that is taken, also by another update starting at the same time; then the folder is pruned to its
  // newest keep logs.
  LogWriter(std::string folder, std::string name, size_t keep);
  // This one file, replaced if it is there.
  explicit LogWriter(std::string file);
  ~LogWriter();
  LogWriter(const LogWriter&) = delete;
  LogWriter& operator=(const LogWriter&) = delete;

  void Append(std::string_view text);
  // Asks for what is pending to be written now.
  void Flush();
  // Asks for "-tag" to be added to the name of a file in a folder (again a name no other file has).
  void AddToName(std::string tag);
  // Asks for the rest to be written and the file closed; returns at once.
  void Finish();
  // Finishes and waits until the file is closed.
  void Join();

  bool Failed() const { return failed_.load(std::memory_order_relaxed); }
  // "path: reason" once Failed().
  std::string Failure() const;
  // The file's path; final once joined.
  std::string Path() const;

private:
  void Start();
  void Run();
  void Open();
  void Write(const std::string& text);
  void Rename(const std::string& tag);
  void SetPath(const std::string& path);
  void Fail(const std::string& reason);

  mutable std::mutex mutex_;
  std::condition_variable wake_;
  std::string pending_;
  size_t dropped_ = 0;
  bool flush_ = false;
  bool finishing_ = false;
  std::string tag_;
  std::string path_;     // guarded: read by Path()
  std::string failure_;  // guarded
  std::atomic<bool> failed_{false};

  // The writer thread's own.
  const std::string folder_;  // empty: the one given file
  std::string name_;          // in the folder, without ".log"
  std::string filePath_;
  std::FILE* file_ = nullptr;
  const size_t keep_ = 0;
  std::thread thread_;
};

}  // namespace p25

#include "engine/LogWriter.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <system_error>

#include "platform/CurrentDirectory.h"
#include "platform/LogFolder.h"

namespace p25 {

namespace {

std::string ErrnoText(int error) { return std::generic_category().message(error); }

constexpr int kNameTries = 100;

}  // namespace

LogWriter::LogWriter(std::string folder, std::string name, size_t keep)
    : folder_(std::move(folder)), name_(std::move(name)), keep_(keep) {
  filePath_ = folder_ + PathSeparator() + name_ + ".log";
  Start();
}

LogWriter::LogWriter(std::string file) : filePath_(std::move(file)) { Start(); }

void LogWriter::Start() {
  path_ = filePath_;
  thread_ = std::thread([this] { Run(); });
}

LogWriter::~LogWriter() { Join(); }

void LogWriter::Append(std::string_view text) {
  if (Failed()) return;
  std::lock_guard<std::mutex> lock(mutex_);
  if (pending_.size() + text.size() > kMaxPending) {
    dropped_ += text.size();
    return;
  }
  const bool wasBelow = pending_.size() < kWakeAt;
  pending_.append(text);
  if (wasBelow && pending_.size() >= kWakeAt) wake_.notify_one();
}

void LogWriter::Flush() {
  std::lock_guard<std::mutex> lock(mutex_);
  flush_ = true;
  wake_.notify_one();
}

void LogWriter::AddToName(std::string tag) {
  std::lock_guard<std::mutex> lock(mutex_);
  tag_ = std::move(tag);
  wake_.notify_one();
}

void LogWriter::Finish() {
  std::lock_guard<std::mutex> lock(mutex_);
  finishing_ = true;
  wake_.notify_one();
}

void LogWriter::Join() {
  Finish();
  if (thread_.joinable()) thread_.join();
}

std::string LogWriter::Failure() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return failure_;
}

std::string LogWriter::Path() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return path_;
}

void LogWriter::SetPath(const std::string& path) {
  filePath_ = path;
  std::lock_guard<std::mutex> lock(mutex_);
  path_ = path;
}

void LogWriter::Fail(const std::string& reason) {
  if (file_ != nullptr) std::fclose(file_);
  file_ = nullptr;
  std::lock_guard<std::mutex> lock(mutex_);
  if (failed_) return;
  failure_ = filePath_ + ": " + reason;
  pending_.clear();
  pending_.shrink_to_fit();
  failed_ = true;
}

void LogWriter::Open() {
  if (folder_.empty()) {
    file_ = std::fopen(filePath_.c_str(), "wb");
    if (file_ == nullptr) Fail(ErrnoText(errno));
    return;
  }
  std::string reason;
  if (!MakeFolder(folder_, reason)) {
    Fail(reason);
    return;
  }
  // Only a name no other file has: updates started in the same second each get their own.
  for (int n = 1; n <= kNameTries && file_ == nullptr; ++n) {
    const std::string name = n == 1 ? name_ : name_ + "-" + std::to_string(n);
    const std::string path = folder_ + PathSeparator() + name + ".log";
    file_ = CreateNewFile(path);
    if (file_ != nullptr) {
      name_ = name;
      SetPath(path);
    } else if (errno != EEXIST || n == kNameTries) {
      Fail(ErrnoText(errno));
      return;
    }
  }
  if (keep_ > 0) PruneLogFolder(folder_, keep_);
}

void LogWriter::Write(const std::string& text) {
  if (file_ == nullptr || text.empty()) return;
  // fflush reports a full disk that fwrite may still have buffered.
  if (std::fwrite(text.data(), 1, text.size(), file_) != text.size() || std::fflush(file_) != 0)
    Fail(ErrnoText(errno));
}

void LogWriter::Rename(const std::string& tag) {
  if (file_ == nullptr || folder_.empty()) return;
  // Closed first: Windows renames no open file.
  std::fclose(file_);
  file_ = nullptr;
  for (int n = 1; n <= kNameTries; ++n) {
    // Appended piece by piece: GCC 12 at -O3 warns falsely about "-" + std::string.
    std::string name = name_ + "-" + tag;
    if (n > 1) name.append("-").append(std::to_string(n));
    const std::string path = folder_ + PathSeparator() + name + ".log";
    if (RenameNoReplace(filePath_, path)) {
      name_ = name;
      SetPath(path);
      break;
    }
  }
  // A name that cannot be had keeps the old one.
  file_ = std::fopen(filePath_.c_str(), "ab");
  if (file_ == nullptr) Fail(ErrnoText(errno));
}

void LogWriter::Run() {
  Open();
  std::string batch;
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    // A crash loses at most the last second.
    wake_.wait_for(lock, std::chrono::seconds(1), [this] {
      return flush_ || finishing_ || !tag_.empty() || pending_.size() >= kWakeAt;
    });
    batch.swap(pending_);
    const size_t dropped = dropped_;
    const std::string tag = std::move(tag_);
    tag_.clear();
    dropped_ = 0;
    flush_ = false;
    const bool last = finishing_;
    lock.unlock();
    Write(batch);
    batch.clear();
    if (dropped > 0) {
      // Formatted rather than concatenated: GCC 12 at -O3 warns falsely about "[" + std::string.
      char note[96];
      std::snprintf(note, sizeof note, "[%zu bytes of log dropped: the disk did not keep up]\n", dropped);
      Write(note);
    }
    if (!tag.empty()) Rename(tag);
    lock.lock();
    if (last && pending_.empty()) break;
  }
  lock.unlock();
  std::FILE* const file = file_;
  file_ = nullptr;
  if (file != nullptr && std::fclose(file) != 0) Fail(ErrnoText(errno));
}

}  // namespace p25

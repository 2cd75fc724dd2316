#include "engine/LogWriter.h"

#include <cerrno>
#include <chrono>
#include <system_error>

#include "platform/LogFolder.h"

namespace p25 {

namespace {

std::string FolderOf(const std::string& path) {
  const size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

std::string ErrnoText(int error) { return std::generic_category().message(error); }

}  // namespace

LogWriter::LogWriter(std::string path, bool makeFolder, size_t keep)
    : path_(path), filePath_(std::move(path)), makeFolder_(makeFolder), keep_(keep) {
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

void LogWriter::Rename(std::string path) {
  std::lock_guard<std::mutex> lock(mutex_);
  path_ = path;
  renameTo_ = std::move(path);
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
  std::string reason;
  if (makeFolder_ && !MakeFolder(FolderOf(filePath_), reason)) {
    Fail(reason);
    return;
  }
  file_ = std::fopen(filePath_.c_str(), "wb");
  if (file_ == nullptr) {
    Fail(ErrnoText(errno));
    return;
  }
  if (keep_ > 0) PruneLogFolder(FolderOf(filePath_), keep_);
}

void LogWriter::Write(const std::string& text) {
  if (file_ == nullptr || text.empty()) return;
  // fflush reports a full disk that fwrite may still have buffered.
  if (std::fwrite(text.data(), 1, text.size(), file_) != text.size() || std::fflush(file_) != 0)
    Fail(ErrnoText(errno));
}

void LogWriter::MoveTo(const std::string& path) {
  if (file_ == nullptr || path == filePath_) return;
  // Closed first: Windows renames no open file.
  std::fclose(file_);
  if (RenameFile(filePath_, path)) filePath_ = path;
  file_ = std::fopen(filePath_.c_str(), "ab");
  if (file_ == nullptr) Fail(ErrnoText(errno));
  if (filePath_ != path) {
    std::lock_guard<std::mutex> lock(mutex_);
    path_ = filePath_;
  }
}

void LogWriter::Run() {
  Open();
  std::string batch;
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    // A crash loses at most the last second.
    wake_.wait_for(lock, std::chrono::seconds(1), [this] {
      return flush_ || finishing_ || !renameTo_.empty() || pending_.size() >= kWakeAt;
    });
    batch.swap(pending_);
    const size_t dropped = dropped_;
    const std::string renameTo = std::move(renameTo_);
    renameTo_.clear();
    dropped_ = 0;
    flush_ = false;
    const bool last = finishing_;
    lock.unlock();
    Write(batch);
    batch.clear();
    if (dropped > 0) Write("[" + std::to_string(dropped) + " bytes of log dropped: the disk did not keep up]\n");
    if (!renameTo.empty()) MoveTo(renameTo);
    lock.lock();
    if (last && pending_.empty()) break;
  }
  lock.unlock();
  std::FILE* const file = file_;
  file_ = nullptr;
  if (file != nullptr && std::fclose(file) != 0) Fail(ErrnoText(errno));
}

}  // namespace p25

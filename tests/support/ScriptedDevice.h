#pragma once
// A scripted peer behind SerialDevice, on virtual time. It records every write with the time it was made,
// delivers queued replies when they fall due, and fails chosen operations on demand. Waiting for input
// moves the clock only up to the next byte that is due, so the poll timer sees exactly the time a real
// device would have made it wait.
#include <algorithm>
#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/Clock.h"
#include "platform/SerialDevice.h"

namespace p25::test {

using Bytes = std::vector<uint8_t>;

class ScriptedDevice final : public SerialDevice {
public:
  enum class Op { Open, GetState, SetState, SetTimeouts, Read, Write };

  struct WriteRecord {
    Bytes bytes;
    uint64_t atMicros;
    uint32_t baudRate;
    uint64_t AtMs() const { return atMicros / 1000; }
  };
  struct ReadRecord {
    size_t asked;
    size_t got;
    uint64_t atMicros;
  };
  // Bytes that reach the updater delayMs after the write that caused them.
  struct Reply {
    Bytes bytes;
    uint32_t delayMs = 0;
  };
  // Answers each complete write that finds no queued reply.
  using Peer = std::function<std::vector<Reply>(const Bytes& written, ScriptedDevice& device)>;

  static constexpr uint32_t kBadHandle = 9;
  static constexpr uint64_t kUsPerMs = 1000;  // what a call on a closed device reports

  explicit ScriptedDevice(VirtualClock& clock) : clock_(clock) {}

  // --- The peer's side.
  // Bytes that arrive afterMs from now.
  void Deliver(Bytes bytes, uint32_t afterMs = 0) { Schedule(std::move(bytes), Now() + afterMs * kUsPerMs); }
  // The next complete write not yet answered takes these replies, in queue order.
  void AfterNextWrite(std::vector<Reply> replies) { queued_.push_back(std::move(replies)); }
  void AfterNextWrite(Bytes bytes, uint32_t delayMs = 0) {
    AfterNextWrite(std::vector<Reply>{Reply{std::move(bytes), delayMs}});
  }
  void SetPeer(Peer peer) { peer_ = std::move(peer); }
  // Forgets replies not yet given and bytes not yet read.
  void ClearReplies() {
    queued_.clear();
    incoming_.clear();
  }
  // The next `times` calls of op fail with the OS error code given.
  void FailNext(Op op, int times, uint32_t error) { failures_[Index(op)] = {times, error}; }
  // The next `times` writes stop after `accepted` bytes, as a write whose time-out expired.
  void ShortWriteNext(int times, size_t accepted = 0) { shortWrites_ = {times, accepted}; }

  // --- What the updater did.
  const std::vector<WriteRecord>& Writes() const { return writes_; }
  Bytes WrittenBytes() const {
    Bytes all;
    for (const auto& w : writes_) all.insert(all.end(), w.bytes.begin(), w.bytes.end());
    return all;
  }
  const std::vector<ReadRecord>& Reads() const { return reads_; }
  void ClearRecords() {
    writes_.clear();
    reads_.clear();
  }
  size_t Pending() const {
    size_t n = 0;
    for (const auto& c : incoming_) n += c.bytes.size() - c.offset;
    return n;
  }
  int Opens() const { return opens_; }
  int Closes() const { return closes_; }
  const std::string& Name() const { return name_; }
  uint32_t BaudRate() const { return baudRate_; }
  const SerialTimeouts& Timeouts() const { return timeouts_; }
  uint64_t Now() const { return clock_.ElapsedMicros(); }

  // --- SerialDevice.
  bool Open(const std::string& name) override {
    if (Failing(Op::Open)) return false;
    open_ = true;
    name_ = name;
    ++opens_;
    return true;
  }
  bool GetState() override { return open_ ? !Failing(Op::GetState) : Fail(kBadHandle); }
  bool SetState(uint32_t baudRate) override {
    if (!open_) return Fail(kBadHandle);
    if (Failing(Op::SetState)) return false;
    baudRate_ = baudRate;
    return true;
  }
  bool SetTimeouts(const SerialTimeouts& timeouts) override {
    if (!open_) return Fail(kBadHandle);
    if (Failing(Op::SetTimeouts)) return false;
    timeouts_ = timeouts;
    return true;
  }
  bool Read(uint8_t* destination, size_t count, size_t& bytesRead) override {
    bytesRead = 0;
    if (!open_) return Fail(kBadHandle);
    if (Failing(Op::Read)) return false;
    while (bytesRead < count && !incoming_.empty() && incoming_.front().dueMicros <= Now()) {
      Chunk& c = incoming_.front();
      const size_t n = std::min(count - bytesRead, c.bytes.size() - c.offset);
      std::copy_n(c.bytes.begin() + static_cast<long>(c.offset), n, destination + bytesRead);
      bytesRead += n;
      c.offset += n;
      if (c.offset == c.bytes.size()) incoming_.pop_front();
    }
    reads_.push_back({count, bytesRead, Now()});
    return true;
  }
  bool Write(const uint8_t* data, size_t count, size_t& bytesWritten) override {
    bytesWritten = 0;
    if (!open_) return Fail(kBadHandle);
    if (Failing(Op::Write)) return false;
    bytesWritten = count;
    if (shortWrites_.first > 0) {
      --shortWrites_.first;
      bytesWritten = std::min(count, shortWrites_.second);
    }
    writes_.push_back({Bytes(data, data + bytesWritten), Now(), baudRate_});
    if (bytesWritten == count) Answer(writes_.back().bytes);
    return true;
  }
  // Bytes already in the driver are lost with the handle; bytes still on their way arrive later.
  void Close() override {
    if (!open_) return;
    open_ = false;
    ++closes_;
    while (!incoming_.empty() && incoming_.front().dueMicros <= Now()) incoming_.pop_front();
  }
  bool IsOpen() const override { return open_; }
  uint32_t LastError() const override { return lastError_; }

  void WaitForInput(Clock& clock, uint64_t maxMicros) override {
    // A read that is going to fail brings nothing, so it is not worth waking for.
    if (!open_ || incoming_.empty() || failures_[Index(Op::Read)].first > 0) {
      clock.SleepMicros(maxMicros);
      return;
    }
    const uint64_t due = incoming_.front().dueMicros;
    if (due > Now()) clock.SleepMicros(std::min(maxMicros, due - Now()));
  }

private:
  struct Chunk {
    uint64_t dueMicros;
    Bytes bytes;
    size_t offset = 0;
  };

  static size_t Index(Op op) { return static_cast<size_t>(op); }
  bool Fail(uint32_t error) {
    lastError_ = error;
    return false;
  }
  bool Failing(Op op) {
    auto& [times, error] = failures_[Index(op)];
    if (times <= 0) return false;
    --times;
    lastError_ = error;
    return true;
  }
  void Schedule(Bytes bytes, uint64_t dueMicros) {
    if (bytes.empty()) return;
    // Stable by due time: bytes due at the same moment keep the order they were queued in.
    auto later = [&](const Chunk& c) { return c.dueMicros > dueMicros; };
    const auto at = std::find_if(incoming_.begin(), incoming_.end(), later);
    incoming_.insert(at, Chunk{dueMicros, std::move(bytes)});
  }
  void Answer(const Bytes& written) {
    std::vector<Reply> replies;
    if (!queued_.empty()) {
      replies = std::move(queued_.front());
      queued_.pop_front();
    } else if (peer_) {
      replies = peer_(written, *this);
    }
    for (auto& r : replies) Schedule(std::move(r.bytes), Now() + r.delayMs * kUsPerMs);
  }

  VirtualClock& clock_;
  bool open_ = false;
  std::string name_;
  int opens_ = 0;
  int closes_ = 0;
  uint32_t baudRate_ = 0;
  SerialTimeouts timeouts_{};
  uint32_t lastError_ = 0;
  std::array<std::pair<int, uint32_t>, 6> failures_{};
  std::pair<int, size_t> shortWrites_{0, 0};
  std::deque<Chunk> incoming_;
  std::deque<std::vector<Reply>> queued_;
  Peer peer_;
  std::vector<WriteRecord> writes_;
  std::vector<ReadRecord> reads_;
};

}  // namespace p25::test

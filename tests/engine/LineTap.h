#pragma once
// A cable fault between the updater and the simulated radio: frames that start with given bytes are
// lost on their way to the radio a given number of times, after letting some pass. It keeps every
// write the updater made, lost or not.
#include <algorithm>
#include <memory>
#include <vector>

#include "platform/Clock.h"
#include "platform/SerialDevice.h"

namespace p25::testing {

class LineTap final : public SerialDevice {
public:
  explicit LineTap(std::unique_ptr<SerialDevice> inner) : inner_(std::move(inner)) {}

  struct Rule {
    std::vector<uint8_t> prefix;
    int pass = 0;  // matching writes let through before the losses start
    int lose = 0;  // matching writes lost after that
  };
  void Lose(std::vector<uint8_t> prefix, int lose, int pass = 0) { rules_.push_back({std::move(prefix), pass, lose}); }
  // The cable is pulled right after the pass-th frame starting with prefix: from then on the device is
  // gone, as a hung-up terminal (EIO) is, and stays gone.
  void PullAfter(std::vector<uint8_t> prefix, int pass, const Clock& clock) {
    pull_ = {std::move(prefix), pass, 1};
    clock_ = &clock;
  }
  static constexpr uint32_t kGone = 5;  // EIO
  uint64_t pulledAtMicros = 0;

  bool Open(const std::string& name) override { return pulled_ ? Gone(2) : inner_->Open(name); }
  bool GetState() override { return inner_->GetState(); }
  bool SetState(uint32_t baudRate) override { return inner_->SetState(baudRate); }
  bool SetTimeouts(const SerialTimeouts& timeouts) override { return inner_->SetTimeouts(timeouts); }
  bool Read(uint8_t* destination, size_t count, size_t& bytesRead) override {
    bytesRead = 0;
    return pulled_ ? Gone(kGone) : inner_->Read(destination, count, bytesRead);
  }
  bool Write(const uint8_t* data, size_t count, size_t& bytesWritten) override {
    bytesWritten = 0;
    if (pulled_) return Gone(kGone);
    if (pull_.lose > 0 && count >= pull_.prefix.size() && std::equal(pull_.prefix.begin(), pull_.prefix.end(), data) &&
        --pull_.pass <= 0) {
      pull_.lose = 0;
      pulled_ = true;
      pulledAtMicros = clock_->ElapsedMicros();
      bytesWritten = count;
      return true;
    }
    written.emplace_back(data, data + count);
    for (Rule& rule : rules_) {
      if (count < rule.prefix.size() || !std::equal(rule.prefix.begin(), rule.prefix.end(), data)) continue;
      if (rule.pass > 0) {
        --rule.pass;
        break;
      }
      if (rule.lose > 0) {
        --rule.lose;
        ++lost;
        // The bytes leave the port but never reach the radio.
        bytesWritten = count;
        return true;
      }
    }
    return inner_->Write(data, count, bytesWritten);
  }
  void Close() override { inner_->Close(); }
  bool IsOpen() const override { return inner_->IsOpen(); }
  uint32_t LastError() const override { return pulled_ ? error_ : inner_->LastError(); }
  bool DeviceLost() const override { return pulled_; }
  // A dead device wakes every wait at once.
  void WaitForInput(Clock& clock, uint64_t maxMicros) override {
    if (pulled_) return;
    inner_->WaitForInput(clock, maxMicros);
  }

  int lost = 0;
  std::vector<std::vector<uint8_t>> written;

private:
  bool Gone(uint32_t error) {
    error_ = error;
    return false;
  }
  Rule pull_;
  const Clock* clock_ = nullptr;
  bool pulled_ = false;
  uint32_t error_ = 0;

  std::unique_ptr<SerialDevice> inner_;
  std::vector<Rule> rules_;
};

}  // namespace p25::testing

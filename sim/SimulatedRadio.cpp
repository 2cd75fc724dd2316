// The radio's line side: byte intake, the console, frame reception and acknowledgement, the reply
// pipeline with its resends, and the timers that make the radio act on its own.
#include "SimulatedRadio.h"

#include <algorithm>

#include "link/Frames.h"
#include "protocol/MessageText.h"
#include "protocol/Messages.h"

namespace p25 {

namespace {
constexpr uint64_t kTurnaroundMicros = 500;
constexpr uint64_t kConsoleAnswerMicros = 1000;
constexpr size_t kConsoleLineLimit = 80;
constexpr const char* kPrompt = "> ";
}  // namespace

const char* ModeName(SimulatedRadio::Mode mode) {
  switch (mode) {
    case SimulatedRadio::Mode::Console: return "console";
    case SimulatedRadio::Mode::BootLoader: return "boot loader";
    case SimulatedRadio::Mode::FlashCode: return "FLASH code";
    case SimulatedRadio::Mode::Rebooting: return "rebooting";
    case SimulatedRadio::Mode::Off: return "off";
  }
  return "?";
}

SimulatedRadio::SimulatedRadio(Options options)
    : options_(std::move(options)), esnHigh_(options_.esnHigh), esnLow_(options_.esnLow) {
  memory_.serialNumber = options_.serialNumber;
  frame_.reserve(kLevel1Capacity);
  Mode start = options_.startMode;
  if (start == Mode::Rebooting || start == Mode::Off) start = Mode::Console;
  PowerOn(start, start == Mode::Console ? options_.startRate : 9600);
}

bool SimulatedRadio::LoadState(std::string& error) {
  if (options_.statePath.empty()) return true;
  bool found = false;
  if (!LoadRadioState(options_.statePath, memory_, found, error)) return false;
  if (found) Note("state loaded from " + options_.statePath);
  Mode start = options_.startMode;
  if (start == Mode::Rebooting || start == Mode::Off) start = Mode::Console;
  PowerOn(start, start == Mode::Console ? options_.startRate : 9600);
  return true;
}

bool SimulatedRadio::SaveState(std::string& error) const {
  if (options_.statePath.empty()) return true;
  return SaveRadioState(options_.statePath, memory_, error);
}

void SimulatedRadio::SaveQuietly() {
  std::string error;
  if (!SaveState(error)) Note("state not saved: " + error);
}

std::string SimulatedRadio::Esn() const { return FormatEsn(esnHigh_, esnLow_); }

const FlashRegion* SimulatedRadio::RegionAt(uint32_t start) const {
  for (const FlashRegion& r : memory_.regions)
    if (r.start == start) return &r;
  return nullptr;
}

void SimulatedRadio::PowerOn(Mode mode, uint32_t rate) {
  // Without complete firmware there is no console to come up: the boot loader waits instead.
  if (mode == Mode::Console && !memory_.FirmwareValid()) {
    mode = Mode::BootLoader;
    rate = 9600;
  }
  mode_ = mode;
  rate_ = rate;
  inFrame_ = false;
  frameCount_ = 0;
  consoleLine_.clear();
  replies_.clear();
  inFlight_ = {};
  erase_ = {};
  rebooting_ = false;
  bootCode_.clear();
  bootStart_ = 0;
  bootSigned_ = false;
  currentRegion_ = -1;
}

void SimulatedRadio::PowerCycle() {
  out_.clear();
  txFree_ = now_;
  PowerOn(Mode::Console, options_.startRate);
  Note(std::string("power on: ") + ModeName(mode_) + " at " + std::to_string(rate_));
}

void SimulatedRadio::LosePower() {
  powerLost_ = true;
  out_.clear();
  txFree_ = now_;
  PowerOn(Mode::Off, rate_);
  mode_ = Mode::Off;
  Note("power lost");
  SaveQuietly();
}

void SimulatedRadio::StartReboot() {
  ++counters_.reboots;
  const uint32_t rate = rate_;
  PowerOn(Mode::Rebooting, rate);
  mode_ = Mode::Rebooting;
  rebooting_ = true;
  // The acknowledgement already queued still goes out; the silence starts after it.
  rebootDoneAt_ = std::max(txFree_, now_) + options_.rebootMicros;
  Note("rebooting");
  SaveQuietly();
}

void SimulatedRadio::EnterBootLoader() {
  if (mode_ == Mode::BootLoader) return;
  PowerOn(Mode::BootLoader, 9600);
  Note("boot loader");
}

// ---- Time ----

std::optional<uint64_t> SimulatedRadio::NextTimer() const {
  std::optional<uint64_t> next;
  const auto consider = [&next](uint64_t t) {
    if (!next || t < *next) next = t;
  };
  if (inFlight_.active) consider(inFlight_.resendAt);
  else if (!replies_.empty()) consider(replies_.front().notBefore);
  if (erase_.active) consider(std::min(erase_.nextNoticeAt, erase_.doneAt));
  if (rebooting_) consider(rebootDoneAt_);
  return next;
}

std::optional<uint64_t> SimulatedRadio::NextWakeup() const {
  std::optional<uint64_t> next = NextTimer();
  if (!out_.empty() && (!next || out_.front().due < *next)) next = out_.front().due;
  return next;
}

void SimulatedRadio::RunUntil(uint64_t nowMicros) {
  for (auto t = NextTimer(); t && *t <= nowMicros; t = NextTimer()) {
    now_ = std::max(now_, *t);
    FireTimer(*t);
  }
  now_ = std::max(now_, nowMicros);
}

void SimulatedRadio::FireTimer(uint64_t at) {
  if (rebooting_ && rebootDoneAt_ <= at) {
    PowerOn(Mode::Console, 9600);
    Note(std::string("restarted: ") + ModeName(mode_));
    if (mode_ == Mode::Console && !options_.faults.neverSayOk) SendText("\r\nOK\r\n");
    return;
  }
  if (erase_.active && erase_.doneAt <= at) {
    FinishErase();
  } else if (erase_.active && erase_.nextNoticeAt <= at) {
    erase_.nextNoticeAt += kNoticeMicros;
    // A notice is a sign of life; one waiting for its acknowledgement is enough.
    if (!inFlight_.active && replies_.empty()) {
      ++counters_.notices;
      QueueReply({kIdEraseFlash, 0x10 | static_cast<uint8_t>(MessageType::Notice), 0}, 0);
    }
  }
  if (inFlight_.active && inFlight_.resendAt <= at) {
    if (inFlight_.sends <= kResends) {
      TransmitInFlight();
    } else {
      Note("reply given up: never acknowledged");
      inFlight_.active = false;
    }
  }
  PumpReplies();
}

// ---- Receiving ----

void SimulatedRadio::Hear(uint64_t atMicros, uint8_t byte, uint32_t senderRate) {
  RunUntil(atMicros);
  if (mode_ == Mode::Off || mode_ == Mode::Rebooting) return;
  heard_.clear();
  garbler_.Pass(byte, senderRate, rate_, heard_);
  for (uint8_t b : heard_) TakeByte(b);
}

bool SimulatedRadio::FramedProtocol() const {
  return mode_ == Mode::BootLoader || mode_ == Mode::FlashCode || (mode_ == Mode::Console && rate_ == 9600);
}

void SimulatedRadio::TakeByte(uint8_t byte) {
  if (FramedProtocol() && byte == kStartByte) {
    inFrame_ = true;
    frameCount_ = 0;
  } else if (!inFrame_) {
    if (mode_ == Mode::Console) ConsoleByte(byte);
    return;
  }
  // Bytes past the collection area are counted, not stored, so the frame is refused as too long.
  if (frameCount_ < kLevel1Capacity) {
    if (frame_.size() <= static_cast<size_t>(frameCount_)) frame_.resize(frameCount_ + 1);
    frame_[frameCount_] = byte;
  }
  if (frameCount_ <= kLevel1Capacity) ++frameCount_;
  if (byte == kEndByte) {
    inFrame_ = false;
    FrameArrived();
  }
}

void SimulatedRadio::FrameArrived() {
  Level1Frame wire;
  const int stored = std::min(frameCount_, kLevel1Capacity);
  std::copy_n(frame_.begin(), stored, wire.Data());
  wire.length = frameCount_;
  const std::vector<uint8_t> raw(frame_.begin(), frame_.begin() + stored);
  Level2Frame frame;
  if (!wire.Decode(frame) || !frame.CheckCrc()) {
    ++counters_.badFrames;
    Trace(false, raw, "bad frame, ignored");
    return;
  }
  if (frame.length == 0) {
    Trace(false, raw, "ack");
    if (inFlight_.active) {
      const uint32_t newRate = inFlight_.reply.rateAfterAck;
      inFlight_.active = false;
      if (newRate != 0) {
        rate_ = newRate;
        Note("rate now " + std::to_string(rate_));
      }
      PumpReplies();
    }
    return;
  }
  ++counters_.requests;
  const int dropEvery = options_.faults.dropEveryNthRequest;
  if (dropEvery > 0 && counters_.requests % dropEvery == 0) {
    ++counters_.droppedRequests;
    Trace(false, raw, "lost: " + DescribeMessage(frame.Data(), frame.length));
    return;
  }
  if (PowerFailsOn(frame.Data(), frame.length)) {
    Trace(false, raw, DescribeMessage(frame.Data(), frame.length));
    LosePower();
    return;
  }
  Trace(false, raw, DescribeMessage(frame.Data(), frame.length));
  SendAck();
  // A new request means the updater has finished with whatever the radio still had to say.
  inFlight_.active = false;
  replies_.clear();
  HandleRequest(frame.Data(), frame.length);
}

void SimulatedRadio::ConsoleByte(uint8_t byte) {
  if (byte == '\r') {
    const std::string line = consoleLine_;
    consoleLine_.clear();
    ConsoleLine(line);
  } else if (byte >= 0x20 && byte < 0x7F && consoleLine_.size() < kConsoleLineLimit) {
    consoleLine_.push_back(static_cast<char>(byte));
  }
}

void SimulatedRadio::ConsoleLine(const std::string& line) {
  const size_t begin = line.find_first_not_of(' ');
  const std::string command = begin == std::string::npos ? "" : line.substr(begin, line.find_last_not_of(' ') - begin + 1);
  if (command.empty()) {
    SendText(std::string("\r\n") + kPrompt);
    return;
  }
  Trace(false, {line.begin(), line.end()}, "console: " + command);
  if (command.rfind("/baud ", 0) == 0) {
    const std::string value = command.substr(6);
    for (uint32_t rate : {9600u, 19200u, 38400u}) {
      if (value == std::to_string(rate)) {
        SendText(std::string("\r\n") + kPrompt);
        rate_ = rate;
        Note("console rate now " + value);
        return;
      }
    }
    SendText(std::string("\r\nInvalid baud rate\r\n") + kPrompt);
    return;
  }
  SendText(std::string("\r\nUnknown command\r\n") + kPrompt);
}

// ---- Sending ----

void SimulatedRadio::Send(const std::vector<uint8_t>& bytes, uint64_t notBefore) {
  uint64_t t = std::max(notBefore, txFree_);
  const uint64_t step = options_.pacedLine ? ByteMicros(rate_) : 0;
  for (uint8_t b : bytes) {
    t += step;
    out_.push_back({t, b, rate_});
  }
  txFree_ = t;
}

void SimulatedRadio::SendText(const std::string& text) {
  Send({text.begin(), text.end()}, now_ + kConsoleAnswerMicros);
}

void SimulatedRadio::SendFrame(const std::vector<uint8_t>& message, bool corrupt) {
  Level2Frame frame;
  std::copy(message.begin(), message.end(), frame.Data());
  frame.length = static_cast<int>(message.size());
  frame.AppendCrc();
  if (corrupt) frame.Data()[frame.length - 1] ^= 0x5A;
  Level1Frame wire;
  wire.Encode(frame);
  std::vector<uint8_t> bytes;
  for (int i = 0; i < options_.faults.noiseBytes; ++i) {
    noiseSeed_ = noiseSeed_ * 1103515245u + 12345u;
    uint8_t junk = static_cast<uint8_t>(noiseSeed_ >> 16);
    if (junk == kStartByte) junk = 0x00;  // noise that opened a frame would eat the real one
    bytes.push_back(junk);
  }
  bytes.insert(bytes.end(), wire.Data(), wire.Data() + wire.length);
  Send(bytes, now_ + kTurnaroundMicros);
  std::string text = message.empty() ? "ack" : DescribeMessage(message.data(), static_cast<int>(message.size()));
  if (corrupt) text += " (CRC corrupted)";
  Trace(true, {wire.Data(), wire.Data() + wire.length}, std::move(text));
}

void SimulatedRadio::SendAck() { SendFrame({}, false); }

void SimulatedRadio::QueueReply(std::vector<uint8_t> message, uint64_t delayMicros, uint32_t rateAfterAck) {
  replies_.push_back({std::move(message), now_ + delayMicros, rateAfterAck});
  PumpReplies();
}

void SimulatedRadio::PumpReplies() {
  if (inFlight_.active || replies_.empty() || replies_.front().notBefore > now_) return;
  if (mode_ == Mode::Off || mode_ == Mode::Rebooting) {
    replies_.clear();
    return;
  }
  inFlight_.active = true;
  inFlight_.reply = std::move(replies_.front());
  inFlight_.sends = 0;
  replies_.pop_front();
  TransmitInFlight();
}

void SimulatedRadio::TransmitInFlight() {
  ++replyFrames_;
  ++counters_.replies;
  if (inFlight_.sends > 0) ++counters_.resends;
  const int every = options_.faults.corruptEveryNthReply;
  SendFrame(inFlight_.reply.message, every > 0 && replyFrames_ % every == 0);
  ++inFlight_.sends;
  inFlight_.resendAt = std::max(txFree_, now_) + kResendMicros;
}

void SimulatedRadio::Trace(bool fromRadio, const std::vector<uint8_t>& bytes, std::string text) {
  if (!observer_) return;
  observer_(TraceEvent{now_, fromRadio, rate_, bytes, std::move(text)});
}

bool SimulatedRadio::TakeOutput(uint64_t nowMicros, uint8_t& byte, uint32_t& rate) {
  if (out_.empty() || out_.front().due > nowMicros) return false;
  byte = out_.front().byte;
  rate = out_.front().rate;
  out_.pop_front();
  return true;
}

}  // namespace p25

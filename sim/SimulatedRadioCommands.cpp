// What the radio does with each request of the command set, and what it refuses in which mode.
#include <algorithm>

#include "PlaceholderSignature.h"
#include "SimulatedRadio.h"
#include "protocol/Messages.h"

namespace p25 {

namespace {

// Processing times before a reply leaves: the radio is quick, but not instant.
constexpr uint64_t kCommandMicros = 2000;
constexpr uint64_t kWriteMicrosPerByte = 20;
constexpr uint64_t kSignatureMicros = 50'000;
constexpr int kSignatureLength = 20;

uint32_t ValueAt(const uint8_t* p) {
  return uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | uint32_t{p[3]};
}

void AppendValue(std::vector<uint8_t>& out, uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(value >> shift));
}

uint8_t TypeByte(MessageType type) { return static_cast<uint8_t>(0x10 | static_cast<uint8_t>(type)); }

bool IsLineRate(uint32_t rate) { return rate == 9600 || rate == 19200 || rate == 38400; }

}  // namespace

bool SimulatedRadio::PowerFailsOn(const uint8_t* message, int length) const {
  const int after = options_.faults.powerLossAfterWrites;
  return after >= 0 && !powerLost_ && length >= 2 && message[0] == kIdWriteFlash &&
         (message[1] & 0x0F) == static_cast<uint8_t>(MessageType::Command) && counters_.writes >= after;
}

void SimulatedRadio::HandleRequest(const uint8_t* message, int length) {
  if (length < 2) return;
  const uint8_t id = message[0];
  const auto type = static_cast<MessageType>(message[1] & 0x0F);
  const int count = length >= 3 ? message[2] : -1;
  const uint8_t* info = message + 3;
  const bool wellFormed = length >= 3 && (message[1] >> 4) == 1 && 3 + count == length;

  if (type == MessageType::Notice) {
    if (wellFormed) HandleNotice(id, info, count);
    return;
  }
  if (type != MessageType::Command && type != MessageType::Query) return;

  std::vector<uint8_t> reply{id, 0, 0};
  uint64_t delay = kCommandMicros;
  if (type == MessageType::Query) {
    std::vector<uint8_t> answer;
    const bool ok = wellFormed && !erase_.active && HandleQuery(id, info, count, answer);
    reply[1] = TypeByte(ok ? MessageType::QueryResponse : MessageType::QueryReject);
    if (ok) {
      reply[2] = static_cast<uint8_t>(answer.size());
      reply.insert(reply.end(), answer.begin(), answer.end());
    }
    QueueReply(std::move(reply), delay);
    return;
  }
  uint32_t rateAfterAck = 0;
  // While it erases the radio does nothing else.
  const Verdict verdict = wellFormed && !erase_.active ? HandleCommand(id, info, count, delay, rateAfterAck)
                                                       : Verdict::Reject;
  if (verdict == Verdict::Later) return;
  reply[1] = TypeByte(verdict == Verdict::Confirm ? MessageType::Confirm : MessageType::Reject);
  QueueReply(std::move(reply), delay, verdict == Verdict::Confirm ? rateAfterAck : 0);
}

void SimulatedRadio::HandleNotice(uint8_t id, const uint8_t* info, int count) {
  switch (id) {
    case kIdEnterBootMode:
      EnterBootLoader();
      break;
    case kIdExecuteBootCode: {
      if (mode_ != Mode::BootLoader || count != 4) break;
      const uint32_t address = ValueAt(info);
      if (bootCode_.empty() || address != bootStart_) {
        Note("boot code not run: nothing downloaded at that address");
      } else if (options_.signedBoot && !bootSigned_) {
        Note("boot code not run: no accepted signature");
      } else {
        mode_ = Mode::FlashCode;
        Note("FLASH code running");
      }
      break;
    }
    case kIdReboot:
      StartReboot();
      break;
    default:
      break;
  }
}

bool SimulatedRadio::HandleQuery(uint8_t id, const uint8_t* info, int count, std::vector<uint8_t>& answer) {
  if (id == kIdSerialNumber && count == 0) {
    // The boot loader finds the number through the firmware; while that is incomplete it reports none.
    AppendValue(answer, mode_ == Mode::BootLoader && !memory_.FirmwareValid() ? 0 : memory_.serialNumber);
    return true;
  }
  if (id != kIdReadIdentity || count != 1) return false;
  if (info[0] == kSelectorHwFeatures) {
    AppendValue(answer, options_.hwFeatures);
    return true;
  }
  if (info[0] != kSelectorEsn) return false;
  answer = {kSelectorEsn, 0, 0, 0, 0};
  AppendValue(answer, esnHigh_);
  AppendValue(answer, esnLow_);
  if (options_.faults.swapAfterIdentify && !swapped_) {
    // The technician swaps radios once the first one has been identified.
    swapped_ = true;
    memory_.serialNumber = memory_.serialNumber + 1 == 0 ? 1 : memory_.serialNumber + 1;
    esnLow_ ^= 0x0F0F;
    Note("a different radio is now attached");
  }
  return true;
}

SimulatedRadio::Verdict SimulatedRadio::HandleCommand(uint8_t id, const uint8_t* info, int count,
                                                      uint64_t& delay, uint32_t& rateAfterAck) {
  const auto confirmIf = [](bool ok) { return ok ? Verdict::Confirm : Verdict::Reject; };
  switch (id) {
    case kIdChangeBaudRate: {
      if (mode_ != Mode::FlashCode || count != 4) return Verdict::Reject;
      const uint32_t rate = ValueAt(info);
      const auto& refused = options_.faults.refusedRates;
      if (!IsLineRate(rate) || std::find(refused.begin(), refused.end(), rate) != refused.end())
        return Verdict::Reject;
      rateAfterAck = rate;
      return Verdict::Confirm;
    }
    case kIdDownloadBootCode:
      delay += static_cast<uint64_t>(count) * kWriteMicrosPerByte;
      return confirmIf(mode_ == Mode::BootLoader && DownloadBootCode(info, count));
    case kIdEraseFlash:
      if (mode_ != Mode::FlashCode || !StartErase(info, count)) return Verdict::Reject;
      return Verdict::Later;
    case kIdWriteFlash: {
      delay += static_cast<uint64_t>(count) * kWriteMicrosPerByte;
      const bool ok = mode_ == Mode::FlashCode && WriteFlash(info, count);
      if (!ok) ++counters_.rejectedWrites;
      return confirmIf(ok);
    }
    case kIdSerialNumber:
      if (mode_ == Mode::BootLoader || count != 4) return Verdict::Reject;
      memory_.serialNumber = ValueAt(info);
      Note("serial number set to " + std::to_string(memory_.serialNumber));
      SaveQuietly();
      return Verdict::Confirm;
    case kIdConfirmedReboot:
      // Only a boot loader that checks the FLASH code's signature confirms; it then starts afresh.
      if (mode_ != Mode::BootLoader || !options_.signedBoot || count != 0) return Verdict::Reject;
      bootCode_.clear();
      bootSigned_ = false;
      return Verdict::Confirm;
    case kIdSendSignature:
      delay += kSignatureMicros;
      if (mode_ == Mode::BootLoader) return confirmIf(CheckBootSignature(info, count));
      if (mode_ == Mode::FlashCode) return confirmIf(CheckSignature(info, count));
      return Verdict::Reject;
    default:
      return Verdict::Reject;
  }
}

bool SimulatedRadio::DownloadBootCode(const uint8_t* info, int count) {
  if (count < 5) return false;
  const uint32_t address = ValueAt(info);
  const int n = info[4];
  if (n == 0 || count != 5 + n) return false;
  if (address < kBootRamStart || address - kBootRamStart > kBootRamSize - static_cast<uint32_t>(n)) return false;
  // The first block, or one at the first address again, starts a download; the others must follow on.
  if (bootCode_.empty() || address == bootStart_) {
    bootCode_.clear();
    bootStart_ = address;
  } else if (address != bootStart_ + bootCode_.size()) {
    return false;
  }
  bootCode_.insert(bootCode_.end(), info + 5, info + 5 + n);
  bootSigned_ = false;
  return true;
}

bool SimulatedRadio::StartErase(const uint8_t* info, int count) {
  if (count != 8) return false;
  const uint32_t start = ValueAt(info);
  const uint32_t length = ValueAt(info + 4);
  if (length == 0 || !FlashMemory::Contains(start, length)) return false;
  auto& regions = memory_.regions;
  std::erase_if(regions, [&](const FlashRegion& r) {
    return r.start < start + uint64_t{length} && start < r.start + uint64_t{r.length};
  });
  regions.push_back({start, length, FlashRegion::State::Unsigned});
  currentRegion_ = static_cast<int>(regions.size()) - 1;
  if (options_.faults.loseSerialOnErase && memory_.serialNumber != 0) {
    memory_.serialNumber = 0;
    Note("serial number lost");
  }
  const uint64_t sectors = (uint64_t{length} + kSectorSize - 1) / kSectorSize;
  const uint64_t duration = options_.faults.eraseMicros > 0 ? options_.faults.eraseMicros : sectors * kSectorEraseMicros;
  erase_ = {true, start, length, now_ + kNoticeMicros, now_ + duration};
  ++counters_.erases;
  return true;
}

void SimulatedRadio::FinishErase() {
  memory_.flash.Erase(erase_.start, erase_.length);
  erase_.active = false;
  Note("erase done");
  QueueReply({kIdEraseFlash, TypeByte(MessageType::Confirm), 0}, 0);
  SaveQuietly();
}

bool SimulatedRadio::WriteFlash(const uint8_t* info, int count) {
  if (count < 5) return false;
  const uint32_t address = ValueAt(info);
  const int n = info[4];
  if (n == 0 || count != 5 + n || !memory_.flash.CanProgram(address, static_cast<uint32_t>(n))) return false;
  memory_.flash.Program(address, info + 5, static_cast<uint32_t>(n));
  for (FlashRegion& r : memory_.regions)
    if (address >= r.start && address - r.start < r.length) r.state = FlashRegion::State::Unsigned;
  ++counters_.writes;
  return true;
}

bool SimulatedRadio::CheckBootSignature(const uint8_t* info, int count) {
  if (count != kSignatureLength) return false;
  ++signatureChecks_;
  bool ok = !bootCode_.empty() && signatureChecks_ > options_.faults.refuseSignatures;
  if (ok && !options_.acceptAnySignature) {
    const placeholder::Signature expected = placeholder::SignImage(bootStart_, bootCode_.data(), bootCode_.size());
    ok = std::equal(expected.begin(), expected.end(), info);
  }
  bootSigned_ = ok;
  ok ? ++counters_.signaturesAccepted : ++counters_.signaturesRefused;
  Note(ok ? "boot code signature accepted" : "boot code signature refused");
  return ok;
}

bool SimulatedRadio::CheckSignature(const uint8_t* info, int count) {
  if (count != kSignatureLength) return false;
  ++signatureChecks_;
  auto& regions = memory_.regions;
  if (currentRegion_ < 0 || currentRegion_ >= static_cast<int>(regions.size())) {
    ++counters_.signaturesRefused;
    Note("signature refused: no image written since the last erase");
    return false;
  }
  FlashRegion& region = regions[static_cast<size_t>(currentRegion_)];
  bool ok = signatureChecks_ > options_.faults.refuseSignatures;
  if (ok && !options_.acceptAnySignature) {
    // Over the whole region as it now stands: a block never written still reads as erased bytes.
    const std::vector<uint8_t> written = memory_.flash.Read(region.start, region.length);
    const placeholder::Signature expected = placeholder::SignImage(region.start, written.data(), written.size());
    ok = std::equal(expected.begin(), expected.end(), info);
  }
  region.state = ok ? FlashRegion::State::Signed : FlashRegion::State::Refused;
  ok ? ++counters_.signaturesAccepted : ++counters_.signaturesRefused;
  Note(std::string(ok ? "image signature accepted" : "image signature refused"));
  SaveQuietly();
  return ok;
}

}  // namespace p25

// Whatever the radio's side of the line sends, the updater must neither crash nor touch memory outside
// a frame. Frames are allocated on their own so a read or write past a data area leaves the allocation.
#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "link/Frames.h"
#include "link/SerialPort.h"
#include "protocol/MessageChannel.h"
#include "protocol/Messages.h"
#include "support/ScriptedDevice.h"

namespace {

using namespace p25;
using test::Bytes;
using test::ScriptedDevice;

void Require(bool condition) {
  if (!condition) std::abort();
}

bool Valid(const Level2Frame& frame) { return frame.length >= 0 && frame.length <= kLevel2Capacity; }

// Every reply check and decoder of the command set on one received payload.
void Judge(LinkStatus& status, const Level2Frame& reply) {
  uint32_t serial = 0;
  std::string esn;
  const std::unique_ptr<RadioMessage> messages[] = {
      std::make_unique<ChangeBaudRateMessage>(status, 38400),
      std::make_unique<EraseFlashMessage>(status, 0, 0x1000),
      std::make_unique<ConfirmedRebootMessage>(status),
      std::make_unique<ReadSerialNumberMessage>(status, serial),
      std::make_unique<ReadEsnMessage>(status, esn),
      std::make_unique<ReadHwFeaturesMessage>(status),
  };
  for (const auto& message : messages) {
    message->ReceiveFrame() = reply;
    bool done = true;
    message->CheckConfirmation(done);
    message->CheckQueryResponse(done);
    message->DecodeParameters();
    Require(esn.size() <= 16);
  }
}

void DecodeLevel1(const uint8_t* data, size_t size) {
  LinkStatus status;
  auto level1 = std::make_unique<Level1Frame>(&status);
  if (size > 0) std::memcpy(level1->Data(), data, std::min<size_t>(size, kLevel1Capacity));
  level1->length = static_cast<int>(std::min<size_t>(size, INT_MAX));
  auto level2 = std::make_unique<Level2Frame>(&status);
  if (!level1->Decode(*level2)) return;
  Require(Valid(*level2));
  if (level2->CheckCrc() && level2->length > 0) Judge(status, *level2);
}

// The bytes as a stream on the line, in chunks of a size and spacing the first byte chooses.
void ReceiveStream(const uint8_t* data, size_t size) {
  if (size == 0) return;
  VirtualClock clock;
  LinkStatus status;
  auto* device = new ScriptedDevice(clock);
  SerialPort port(status, std::unique_ptr<SerialDevice>(device), clock);
  port.Open("fuzz", 9600);
  const size_t chunk = data[0] % 64 + 1;
  const uint32_t spacingMs = data[0] >> 6;
  for (size_t at = 0, n = 0; at < size; at += chunk, ++n)
    device->Deliver(Bytes(data + at, data + std::min(size, at + chunk)), static_cast<uint32_t>(n * spacingMs));
  port.StartTimer(500 + static_cast<int32_t>(size / chunk * spacingMs));
  while (port.TimerRunning()) {
    auto frame = std::make_unique<Level2Frame>(&status);
    if (!port.ReceiveFrame(*frame)) continue;
    Require(Valid(*frame));
    if (frame->CheckCrc() && frame->length > 0) Judge(status, *frame);
  }
}

// Whole exchanges against a radio that answers every request with these bytes.
void Exchanges(const uint8_t* data, size_t size) {
  VirtualClock clock;
  LinkStatus status;
  auto* device = new ScriptedDevice(clock);
  MessageChannel channel(status, std::unique_ptr<SerialDevice>(device), clock);
  channel.Port().Open("fuzz", 9600);
  const Bytes input(data, data + size);
  Bytes acknowledged = {kStartByte, 0xFF, 0xFF, kEndByte};
  acknowledged.insert(acknowledged.end(), input.begin(), input.end());

  device->AfterNextWrite(acknowledged);
  std::string esn;
  auto query = std::make_unique<ReadEsnMessage>(status, esn);
  channel.RunQuery(*query);
  Require(esn.size() <= 16);

  device->AfterNextWrite(input);
  auto erase = std::make_unique<EraseFlashMessage>(status, 0, 0x1000);
  channel.RunCommand(*erase);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  DecodeLevel1(data, size);
  ReceiveStream(data, size);
  Exchanges(data, size);
  return 0;
}

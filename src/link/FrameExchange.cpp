// The two frame exchanges: a request sent until the radio acknowledges it, and a reply awaited and
// acknowledged.
#include "link/SerialPort.h"
#include "platform/Clock.h"

namespace p25 {

bool SerialPort::SendFrame(const Level2Frame& frame) {
  Level1Frame wire(&status_);
  if (!wire.Encode(frame)) return false;
  return Write(wire.Data(), static_cast<size_t>(wire.length));
}

bool SerialPort::ReceiveFrame(Level2Frame& destination) {
  Level1Frame collected(&status_);
  bool inFrame = false;
  int count = 0;
  for (;;) {
    uint8_t byte = 0;
    bool got = false;
    if (!NextByte(byte, got) || !got) {
      // A lost device keeps the read failure and the OS's reason for it.
      if (DeviceLost()) return false;
      status_.ReportError(kErrorPortRead, "Failed to receive frame from radio");
      return false;
    }
    if (byte == kStartByte) {
      inFrame = true;
      count = 0;
    } else if (!inFrame) {
      continue;
    }
    // Bytes past the collection area are counted but not stored, so Decode rejects the frame as too long.
    if (count < collected.Capacity()) collected.Data()[count] = byte;
    if (count <= collected.Capacity()) ++count;
    if (byte == kEndByte) {
      collected.length = count;
      return collected.Decode(destination);
    }
  }
}

bool SerialPort::SendWithAck(const Level2Frame& frame) {
  bool sawValidFrame = false;
  // On a lost device the first try only reports the failure again; no further try can help.
  for (int attempt = 0; attempt < kAttempts && !(attempt > 0 && DeviceLost()); ++attempt) {
    ++sendAttempts_;
    StartTimer(kAcknowledgementWaitMs);
    if (!FlushInput()) continue;
    if (!SendFrame(frame)) continue;
    Level2Frame scratch(&status_);
    if (!ReceiveFrame(scratch) || !scratch.CheckCrc()) continue;
    sawValidFrame = true;
    if (scratch.length == 0) return true;
  }
  if (sawValidFrame) status_.ReportError(kErrorLevel2Receive, "Unexpected frame received from radio");
  return false;
}

bool SerialPort::ReceiveWithAck(Level2Frame& destination, int32_t timeoutMs) {
  StartTimer(timeoutMs);
  if (!TimerRunning()) {
    status_.ReportError(kErrorReplyWait, "Failed to receive frame");
    return false;
  }
  while (TimerRunning()) {
    if (!ReceiveFrame(destination)) {
      if (DeviceLost()) return false;
      continue;
    }
    if (!destination.CheckCrc() || destination.length <= 0) continue;
    Level2Frame acknowledgement(&status_);
    acknowledgement.AppendCrc();
    const bool sent = SendFrame(acknowledgement);
    clock_.SleepMs(kAcknowledgementPauseMs);
    return sent;
  }
  return false;
}

}  // namespace p25

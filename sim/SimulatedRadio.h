#pragma once
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "FlashMemory.h"
#include "LineModel.h"
#include "RadioState.h"

namespace p25 {

// A radio on the far end of the serial line, fed bytes and time, answering as the real one does:
//
//  - Console: at power-on it talks text at its starting rate (19200). Every CR is answered with
//    CR LF and a prompt; "/baud 9600" moves the console to 9600, where the framed protocol is also
//    understood.
//  - Boot loader (after EnterBootMode): takes the FLASH code with DownloadBootCode, checks its
//    signature when it asked for one (ConfirmedReboot confirmed) and runs it on ExecuteBootCode.
//  - FLASH code: changes the rate, erases (with Notice progress), writes only into erased flash and
//    checks each image's signature over exactly what was written.
//  - Reboot: silence, then "OK" on the console at 9600.
//
// Every good request frame is acknowledged; replies are resent every 500 ms, three times at most,
// until the updater acknowledges them. Bytes sent at a rate other than the radio's arrive garbled.
//
// Time is whatever the caller says it is: RunUntil() lets the radio's own timers fire, Hear() hands it
// one byte, TakeOutput() collects what it sent. SimulatedLine (in-process, virtual time) and the
// p25radio-sim program (pseudo-terminal, real time) drive it.
class SimulatedRadio {
public:
  enum class Mode { Console, BootLoader, FlashCode, Rebooting, Off };

  // Each fault reproduces something real lines and radios do; zero or false means off.
  struct Faults {
    int noiseBytes = 0;                  // junk bytes before every frame the radio sends
    int corruptEveryNthReply = 0;        // every Nth reply frame carries a bad CRC
    int dropEveryNthRequest = 0;         // every Nth request frame is lost: no acknowledgement, no action
    std::vector<uint32_t> refusedRates;  // ChangeBaudRate to these is rejected
    uint64_t eraseMicros = 0;            // every erase takes this long (Notice replies meanwhile)
    int refuseSignatures = 0;            // the first N signature checks fail whatever was sent
    bool neverSayOk = false;             // comes back from a reboot without saying "OK"
    bool loseSerialOnErase = false;      // the serial number reads 0 once flash is erased
    bool swapAfterIdentify = false;      // a different radio answers after the first ESN read
    int powerLossAfterWrites = -1;       // loses power, once, at the next WriteFlash after this many
  };

  struct Options {
    uint32_t serialNumber = 12345;
    uint32_t esnHigh = 0x1234;  // the ESN reads as "%04X%04X" of these two
    uint32_t esnLow = 0xABCD;
    uint32_t hwFeatures = 1;    // bit 0 set: "503+" hardware
    uint32_t startRate = 19200;
    Mode startMode = Mode::Console;  // BootLoader or FlashCode start a radio that is mid-update
    bool signedBoot = true;          // the boot loader confirms ConfirmedReboot and wants the FLASH signature
    bool acceptAnySignature = false;  // for real firmware sets whose signatures it cannot check
    bool pacedLine = true;            // bytes leave at 10 bits per byte; false: at once
    uint64_t rebootMicros = 5'000'000;  // silence between Reboot and "OK"
    std::string statePath;            // where serial number and flash are kept; empty: nowhere
    Faults faults;
  };

  // One line of the radio's transcript: a frame in either direction, a console line or an event.
  struct TraceEvent {
    uint64_t micros = 0;
    bool fromRadio = false;
    uint32_t rate = 0;
    std::vector<uint8_t> bytes;
    std::string text;
  };
  using Observer = std::function<void(const TraceEvent&)>;

  struct Counters {
    int requests = 0;  // good non-empty frames heard, including lost ones
    int droppedRequests = 0;
    int badFrames = 0;
    int replies = 0;   // reply frames sent, including resends
    int resends = 0;
    int notices = 0;
    int erases = 0;
    int writes = 0;    // WriteFlash commands accepted
    int rejectedWrites = 0;
    int signaturesAccepted = 0;
    int signaturesRefused = 0;
    int reboots = 0;
  };

  static constexpr uint32_t kBootRamStart = 0x200000;
  static constexpr uint32_t kBootRamSize = 0x40000;
  static constexpr uint64_t kResendMicros = 500'000;
  static constexpr int kResends = 3;
  static constexpr uint64_t kNoticeMicros = 1'000'000;
  static constexpr uint64_t kSectorEraseMicros = 400'000;
  static constexpr uint32_t kSectorSize = 0x10000;

  explicit SimulatedRadio(Options options);

  // Loads the state file named in the options, if there is one, and powers the radio on afresh.
  bool LoadState(std::string& error);
  bool SaveState(std::string& error) const;

  // Lets the radio's timers run up to now (microseconds on the caller's clock).
  void RunUntil(uint64_t nowMicros);
  // One byte whose stop bit arrived at atMicros, sent at senderRate.
  void Hear(uint64_t atMicros, uint8_t byte, uint32_t senderRate);
  // The next byte whose stop bit has left the radio by now, with the rate it was sent at.
  bool TakeOutput(uint64_t nowMicros, uint8_t& byte, uint32_t& rate);
  // When the radio next does something on its own (a byte finishes, a timer fires); none when idle.
  std::optional<uint64_t> NextWakeup() const;

  // Power off and on: flash and serial number stay; a radio whose firmware is incomplete comes up in
  // its boot loader instead of the console, and reports serial number 0 there.
  void PowerCycle();

  // A line of its own in the transcript, for what happens around the radio (its cable, say).
  void Note(std::string text) { Trace(false, {}, std::move(text)); }

  void SetObserver(Observer observer) { observer_ = std::move(observer); }

  Mode CurrentMode() const { return mode_; }
  uint32_t Rate() const { return rate_; }
  uint32_t SerialNumber() const { return memory_.serialNumber; }
  std::string Esn() const;
  const FlashMemory& Flash() const { return memory_.flash; }
  const std::vector<FlashRegion>& Regions() const { return memory_.regions; }
  const FlashRegion* RegionAt(uint32_t start) const;
  bool FirmwareValid() const { return memory_.FirmwareValid(); }
  const RadioState& Memory() const { return memory_; }
  // Lets a test start from a radio with given flash contents.
  RadioState& Memory() { return memory_; }
  const std::vector<uint8_t>& BootCode() const { return bootCode_; }
  uint32_t BootCodeAddress() const { return bootStart_; }
  bool Erasing() const { return erase_.active; }
  const Counters& Stats() const { return counters_; }
  const Options& GetOptions() const { return options_; }

private:
  struct OutByte {
    uint64_t due;
    uint8_t byte;
    uint32_t rate;
  };
  struct Reply {
    std::vector<uint8_t> message;
    uint64_t notBefore = 0;
    uint32_t rateAfterAck = 0;  // a confirmed rate change takes effect once the confirmation is acknowledged
  };
  struct InFlight {
    bool active = false;
    Reply reply;
    int sends = 0;
    uint64_t resendAt = 0;
  };
  struct EraseJob {
    bool active = false;
    uint32_t start = 0;
    uint32_t length = 0;
    uint64_t nextNoticeAt = 0;
    uint64_t doneAt = 0;
  };

  // Byte intake.
  void TakeByte(uint8_t byte);
  bool FramedProtocol() const;
  void FrameArrived();
  void ConsoleByte(uint8_t byte);
  void ConsoleLine(const std::string& line);

  // Sending.
  void Send(const std::vector<uint8_t>& bytes, uint64_t notBefore);
  void SendText(const std::string& text);
  void SendFrame(const std::vector<uint8_t>& message, bool corrupt);
  void TransmitInFlight();
  void SendAck();
  void QueueReply(std::vector<uint8_t> message, uint64_t delayMicros, uint32_t rateAfterAck = 0);
  void PumpReplies();
  void ReplyAcknowledged();

  // Timers.
  std::optional<uint64_t> NextTimer() const;
  void FireTimer(uint64_t at);

  // Commands (SimulatedRadioCommands.cpp).
  void HandleRequest(const uint8_t* message, int length);
  void HandleNotice(uint8_t id, const uint8_t* info, int count);
  enum class Verdict { Confirm, Reject, Later };
  Verdict HandleCommand(uint8_t id, const uint8_t* info, int count, uint64_t& delay, uint32_t& rateAfterAck);
  bool HandleQuery(uint8_t id, const uint8_t* info, int count, std::vector<uint8_t>& answer);
  bool DownloadBootCode(const uint8_t* info, int count);
  bool StartErase(const uint8_t* info, int count);
  bool WriteFlash(const uint8_t* info, int count);
  bool CheckSignature(const uint8_t* info, int count);
  bool CheckBootSignature(const uint8_t* info, int count);
  void FinishErase();
  bool PowerFailsOn(const uint8_t* message, int length) const;
  void LosePower();
  void StartReboot();
  void EnterBootLoader();
  // Volatile state starts afresh; flash and serial number stay.
  void PowerOn(Mode mode, uint32_t rate);
  void SaveQuietly();

  void Trace(bool fromRadio, const std::vector<uint8_t>& bytes, std::string text);

  Options options_;
  Observer observer_;
  RadioState memory_;
  Counters counters_;

  uint64_t now_ = 0;
  Mode mode_ = Mode::Console;
  uint32_t rate_ = 19200;
  RateGarbler garbler_;
  std::vector<uint8_t> heard_;

  // Receiver.
  bool inFrame_ = false;
  std::vector<uint8_t> frame_;
  int frameCount_ = 0;
  std::string consoleLine_;

  // Transmitter.
  std::deque<OutByte> out_;
  uint64_t txFree_ = 0;
  std::deque<Reply> replies_;
  InFlight inFlight_;
  uint32_t noiseSeed_ = 0x2545F491;
  int replyFrames_ = 0;

  // Boot loader and FLASH code.
  std::vector<uint8_t> bootCode_;
  uint32_t bootStart_ = 0;
  bool bootSigned_ = false;
  int currentRegion_ = -1;  // index of the region the next signature applies to
  EraseJob erase_;
  uint64_t rebootDoneAt_ = 0;
  bool rebooting_ = false;
  int signatureChecks_ = 0;
  int writeCommands_ = 0;
  bool powerLost_ = false;
  bool swapped_ = false;
  uint32_t esnHigh_ = 0;
  uint32_t esnLow_ = 0;
};

const char* ModeName(SimulatedRadio::Mode mode);

}  // namespace p25

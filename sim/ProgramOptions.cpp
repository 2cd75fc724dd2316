#include "ProgramOptions.h"

#include <charconv>
#include <limits>
#include <string_view>

namespace p25 {

namespace {

bool ParseUnsigned(std::string_view text, uint64_t limit, uint64_t& value) {
  int base = 10;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    text.remove_prefix(2);
    base = 16;
  }
  if (text.empty()) return false;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, base);
  return ec == std::errc() && end == text.data() + text.size() && value <= limit;
}

// Seconds with at most three decimals, as microseconds.
bool ParseSeconds(std::string_view text, uint64_t limitSeconds, uint64_t& micros) {
  const size_t dot = text.find('.');
  const std::string_view whole = text.substr(0, dot);
  const std::string_view fraction = dot == std::string_view::npos ? std::string_view() : text.substr(dot + 1);
  if (whole.empty() || fraction.size() > 3 || (dot != std::string_view::npos && fraction.empty())) return false;
  uint64_t seconds = 0;
  const auto [end, ec] = std::from_chars(whole.data(), whole.data() + whole.size(), seconds);
  if (ec != std::errc() || end != whole.data() + whole.size() || seconds > limitSeconds) return false;
  uint64_t millis = 0;
  for (size_t i = 0; i < 3; ++i) {
    const char c = i < fraction.size() ? fraction[i] : '0';
    if (c < '0' || c > '9') return false;
    millis = millis * 10 + static_cast<uint64_t>(c - '0');
  }
  if (seconds == limitSeconds && millis != 0) return false;
  micros = seconds * 1'000'000 + millis * 1000;
  return true;
}

bool ParseEsn(std::string_view text, uint32_t& high, uint32_t& low) {
  if (text.size() != 8) return false;
  for (char c : text)
    if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f'))) return false;
  std::from_chars(text.data(), text.data() + 4, high, 16);
  std::from_chars(text.data() + 4, text.data() + 8, low, 16);
  return true;
}

}  // namespace

const char* ProgramUsage() {
  return "Usage: p25radio-sim --link PATH [options]\n"
         "Serves a simulated radio on a pseudo-terminal; PATH becomes a symbolic link to its slave side.\n"
         "Prints READY <slave path> when it is ready and serves until SIGINT or SIGTERM. A pulled cable\n"
         "prints UNPLUGGED <seconds since 1970>, one plugged back PLUGGED <new slave path>.\n"
         "SIGUSR1 switches the radio off and on: it comes up in its console at the start rate, or, when an\n"
         "update was cut off after an erase, in its boot loader at 9600 (framed commands only; the serial\n"
         "number reads 0 there until the firmware is whole again). FLASH code left running at a raised\n"
         "rate is out of reach until then.\n"
         "\n"
         "  --link PATH              symbolic link to create for the pseudo-terminal (required)\n"
         "  --realtime               pace both directions at 10 bits per byte of the current rate\n"
         "  --transcript FILE        write one line per frame in either direction (time, rate, bytes, message)\n"
         "  --state FILE             keep serial number and flash in FILE between runs\n"
         "  --help                   show this text\n"
         "\n"
         "Radio:\n"
         "  --serial N               serial number (default 12345)\n"
         "  --esn HHHHLLLL           ESN, 8 hexadecimal digits (default 1234ABCD)\n"
         "  --hw-features N          hardware feature bits; bit 0 set: \"503+\" hardware (default 1)\n"
         "  --start-rate RATE        console rate at power-on: 19200 (default) or 9600\n"
         "  --start-mode MODE        console (default), boot (boot loader) or flash-code (FLASH code running)\n"
         "  --unsigned-boot          boot loader refuses ConfirmedReboot and runs FLASH code without signature\n"
         "  --accept-any-signature   accept every 20-byte signature (for firmware sets it cannot check)\n"
         "  --reboot-time MS         silence after Reboot before \"OK\" (default 5000)\n"
         "\n"
         "Faults:\n"
         "  --noise N                N junk bytes before every frame the radio sends\n"
         "  --corrupt-crc N          corrupt the CRC of every Nth reply\n"
         "  --drop-request N         lose every Nth request: no acknowledgement, no action\n"
         "  --refuse-rate RATE       refuse ChangeBaudRate to RATE (may be repeated)\n"
         "  --slow-erase SECONDS     every erase takes SECONDS, with progress notices meanwhile\n"
         "  --refuse-signatures N    refuse the first N signatures\n"
         "  --no-ok                  never say \"OK\" after a reboot\n"
         "  --lose-serial            the serial number reads 0 once flash is erased\n"
         "  --swap-after-identify    a different radio answers after the first ESN read\n"
         "  --power-loss-after N     lose power after N flash writes (once; SIGUSR1 powers it again)\n"
         "\n"
         "Cable (the USB adapter between computer and radio; the radio keeps its power and state):\n"
         "  --pull-cable-after-writes N   pull it as the radio accepts its Nth flash write\n"
         "  --pull-cable-after-seconds S  pull it S seconds (up to 3 decimals) after READY\n"
         "  --replug-after-seconds S      plug it back S seconds after the pull, as a new pseudo-terminal\n"
         "                                under the same --link path; without it the cable stays out\n";
}

bool ParseProgramOptions(const std::vector<std::string>& args, ProgramOptions& options, std::string& error) {
  auto& radio = options.radio;
  auto& faults = radio.faults;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& name = args[i];
    // Flags without a value.
    if (name == "--help" || name == "-h") { options.help = true; continue; }
    if (name == "--realtime") { options.realtime = true; continue; }
    if (name == "--unsigned-boot") { radio.signedBoot = false; continue; }
    if (name == "--accept-any-signature") { radio.acceptAnySignature = true; continue; }
    if (name == "--no-ok") { faults.neverSayOk = true; continue; }
    if (name == "--lose-serial") { faults.loseSerialOnErase = true; continue; }
    if (name == "--swap-after-identify") { faults.swapAfterIdentify = true; continue; }

    static const char* const kWithValue[] = {"--link", "--transcript", "--state", "--serial", "--esn",
                                             "--hw-features", "--start-rate", "--start-mode", "--reboot-time",
                                             "--noise", "--corrupt-crc", "--drop-request", "--refuse-rate",
                                             "--slow-erase", "--refuse-signatures", "--power-loss-after",
                                             "--pull-cable-after-writes", "--pull-cable-after-seconds",
                                             "--replug-after-seconds"};
    bool known = false;
    for (const char* option : kWithValue) known = known || name == option;
    if (!known) {
      error = "unknown option " + name;
      return false;
    }
    if (i + 1 >= args.size()) {
      error = name + " needs a value";
      return false;
    }
    const std::string& value = args[++i];
    const auto bad = [&](const char* expected) {
      error = "bad value for " + name + ": '" + value + "' (expected " + expected + ")";
      return false;
    };
    uint64_t n = 0;
    constexpr uint64_t kU32 = std::numeric_limits<uint32_t>::max();
    constexpr uint64_t kCount = 1'000'000'000;
    if (name == "--link" || name == "--transcript" || name == "--state") {
      if (value.empty()) return bad("a path");
      (name == "--link" ? options.link : name == "--transcript" ? options.transcript : radio.statePath) = value;
    } else if (name == "--serial") {
      if (!ParseUnsigned(value, kU32, n)) return bad("a 32-bit number");
      radio.serialNumber = static_cast<uint32_t>(n);
    } else if (name == "--esn") {
      if (!ParseEsn(value, radio.esnHigh, radio.esnLow)) return bad("8 hexadecimal digits");
    } else if (name == "--hw-features") {
      if (!ParseUnsigned(value, kU32, n)) return bad("a 32-bit number");
      radio.hwFeatures = static_cast<uint32_t>(n);
    } else if (name == "--start-rate") {
      if (value != "9600" && value != "19200") return bad("9600 or 19200");
      radio.startRate = value == "9600" ? 9600 : 19200;
    } else if (name == "--start-mode") {
      if (value == "console") radio.startMode = SimulatedRadio::Mode::Console;
      else if (value == "boot") radio.startMode = SimulatedRadio::Mode::BootLoader;
      else if (value == "flash-code") radio.startMode = SimulatedRadio::Mode::FlashCode;
      else return bad("console, boot or flash-code");
    } else if (name == "--reboot-time") {
      if (!ParseUnsigned(value, 3'600'000, n)) return bad("milliseconds, at most 3600000");
      radio.rebootMicros = n * 1000;
    } else if (name == "--slow-erase") {
      if (!ParseUnsigned(value, 3600, n) || n == 0) return bad("seconds, 1 to 3600");
      faults.eraseMicros = n * 1'000'000;
    } else if (name == "--pull-cable-after-seconds" || name == "--replug-after-seconds") {
      if (!ParseSeconds(value, 86'400, n)) return bad("seconds, at most 86400, up to 3 decimals");
      (name == "--replug-after-seconds" ? options.cable.replugAfterMicros : options.cable.pullAfterMicros) = n;
    } else if (name == "--pull-cable-after-writes") {
      if (!ParseUnsigned(value, kCount, n) || n == 0) return bad("a count of 1 or more");
      options.cable.pullAfterWrites = static_cast<int>(n);
    } else if (name == "--refuse-rate") {
      if (!ParseUnsigned(value, kU32, n) || n == 0) return bad("a baud rate");
      faults.refusedRates.push_back(static_cast<uint32_t>(n));
    } else {
      const bool positive = name != "--noise" && name != "--refuse-signatures" && name != "--power-loss-after";
      const uint64_t limit = name == "--noise" ? 1000 : kCount;
      if (!ParseUnsigned(value, limit, n) || (positive && n == 0))
        return bad(name == "--noise" ? "a count up to 1000" : positive ? "a count of 1 or more" : "a count");
      const int count = static_cast<int>(n);
      if (name == "--noise") faults.noiseBytes = count;
      else if (name == "--corrupt-crc") faults.corruptEveryNthReply = count;
      else if (name == "--drop-request") faults.dropEveryNthRequest = count;
      else if (name == "--refuse-signatures") faults.refuseSignatures = count;
      else faults.powerLossAfterWrites = count;
    }
  }
  if (!options.help && options.link.empty()) {
    error = "--link PATH is required";
    return false;
  }
  return true;
}

}  // namespace p25

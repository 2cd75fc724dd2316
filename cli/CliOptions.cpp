#include "CliOptions.h"

#include "platform/LogFolder.h"

namespace p25 {

const char* CliUsage() {
  return "Usage: p25update-cli --port DEVICE [--port DEVICE...] [--baud RATE] [--yes|--no]\n"
         "                     [--firmware-dir DIR] [--recovery-dir DIR] [--log FILE] [--trace]\n"
         "  or:  p25update-cli --list-ports | --versions | --version | --help\n"
         "\n"
         "Updates the firmware of the radio on DEVICE, as the window's Update button does. Given\n"
         "several ports, updates their radios at once, each on its own, and ends with a summary.\n"
         "\n"
         "  --port DEVICE       serial device the radio is connected to (for example /dev/ttyUSB0)\n"
         "  --baud RATE         rate to raise the link to for the download: 9600, 19200 or 38400\n"
         "                      (default 38400; lower rates are tried if the radio refuses)\n"
         "  --yes, --no         answer to the question asked when the radio reports no serial number;\n"
         "                      without either it is asked on the terminal, and answered No when\n"
         "                      there is no terminal; required with more than one port\n"
         "  --firmware-dir DIR  use the firmware files of DIR (flash.dat, flash.sgn, controlA.dat, ...)\n"
         "                      instead of the carried ones; they are read again at every update\n"
         "  --recovery-dir DIR  folder of the recovery files that keep each radio's serial number\n"
         "                      (default: the current folder)\n"
         "  --log FILE          write the update's support log to FILE, with one port only (default:\n"
         "                      a new file per radio in $XDG_STATE_HOME/p25update/logs, or\n"
         "                      ~/.local/state/p25update/logs; %LOCALAPPDATA%\\p25update\\logs on\n"
         "                      Windows; the newest 50 are kept)\n"
         "  --trace             add every byte sent and received, in hex and decoded, to the log\n"
         "                      (P25UPDATE_TRACE=1 does the same)\n"
         "  --list-ports        print the serial ports of this machine, one per line\n"
         "  --versions          print the software versions carried for each radio family\n"
         "  --version           print the version of this program\n"
         "  --help              print this text\n"
         "\n"
         "Exit status: 0 update completed (every radio's), 1 an update failed, 2 wrong usage,\n"
         "130 interrupted (Ctrl-C stops every update as the window's Cancel does).\n";
}

std::optional<CliOptions> ParseCliOptions(const std::vector<std::string>& args, std::string& error) {
  CliOptions options;
  bool answerGiven = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    auto value = [&](std::string& out) {
      if (i + 1 >= args.size() || args[i + 1].empty()) {
        error = arg + " needs a value";
        return false;
      }
      out = args[++i];
      return true;
    };
    if (arg == "--port") {
      std::string port;
      if (!value(port)) return std::nullopt;
      for (const std::string& known : options.ports) {
        if (known == port) {
          error = "--port " + port + " is given twice";
          return std::nullopt;
        }
      }
      options.ports.push_back(port);
    } else if (arg == "--baud") {
      std::string rate;
      if (!value(rate)) return std::nullopt;
      if (rate == "9600") options.baudIndex = 0;
      else if (rate == "19200") options.baudIndex = 1;
      else if (rate == "38400") options.baudIndex = 2;
      else {
        error = "--baud must be 9600, 19200 or 38400, not " + rate;
        return std::nullopt;
      }
    } else if (arg == "--yes" || arg == "--no") {
      const CliAnswer answer = arg == "--yes" ? CliAnswer::Yes : CliAnswer::No;
      if (answerGiven && answer != options.answer) {
        error = "--yes and --no exclude each other";
        return std::nullopt;
      }
      answerGiven = true;
      options.answer = answer;
    } else if (arg == "--firmware-dir") {
      if (!value(options.firmwareDir)) return std::nullopt;
    } else if (arg == "--recovery-dir") {
      if (!value(options.recoveryDir)) return std::nullopt;
    } else if (arg == "--log") {
      if (!value(options.logFile)) return std::nullopt;
    } else if (arg == "--trace") {
      options.trace = true;
    } else if (arg == "--list-ports") {
      options.listPorts = true;
    } else if (arg == "--versions") {
      options.versions = true;
    } else if (arg == "--version") {
      options.version = true;
    } else if (arg == "--help" || arg == "-h") {
      options.help = true;
    } else {
      error = "unknown option " + arg;
      return std::nullopt;
    }
  }
  if (!options.help && !options.version && !options.listPorts && !options.versions && options.ports.empty()) {
    error = "--port DEVICE is required";
    return std::nullopt;
  }
  // One question cannot be put to several radios at once.
  if (options.ports.size() > 1 && options.answer == CliAnswer::Ask) {
    error = "with more than one --port, --yes or --no is required";
    return std::nullopt;
  }
  // One file cannot hold several radios' logs; each gets its own in the log folder.
  if (options.ports.size() > 1 && !options.logFile.empty()) {
    error = "--log FILE takes one --port; with several, each radio's log goes to the log folder";
    return std::nullopt;
  }
  if (!options.ports.empty()) options.port = options.ports.front();
  return options;
}

SupportLogOptions LogOptionsFor(const CliOptions& options) {
  SupportLogOptions log;
  log.program = "p25update-cli";
  log.file = options.logFile;
  if (log.file.empty()) log.folder = DefaultLogFolder();
  log.trace = options.trace || TraceRequestedByEnvironment();
  return log;
}

}  // namespace p25

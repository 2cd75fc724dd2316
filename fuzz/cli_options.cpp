// Arbitrary command lines (NUL-separated arguments) for the terminal front end: parsing never
// crashes, and what it accepts is a usable set of options.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "CliOptions.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<std::string> args(1);
  for (size_t i = 0; i < size; ++i) {
    if (data[i] == 0) {
      args.emplace_back();
    } else {
      args.back().push_back(static_cast<char>(data[i]));
    }
  }
  std::string error;
  const auto options = p25::ParseCliOptions(args, error);
  if (options) {
    if (options->baudIndex < 0 || options->baudIndex > 2) std::abort();
    if (!options->help && !options->listPorts && !options->versions && options->port.empty()) std::abort();
    // Several radios are never asked a question, and no port is updated twice.
    if (options->ports.size() > 1 && options->answer == p25::CliAnswer::Ask) std::abort();
    for (size_t i = 0; i < options->ports.size(); ++i)
      for (size_t j = i + 1; j < options->ports.size(); ++j)
        if (options->ports[i] == options->ports[j]) std::abort();
  } else if (error.empty()) {
    std::abort();
  }
  return 0;
}

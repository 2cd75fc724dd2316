#include "RadioState.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <system_error>

namespace p25 {

namespace {

constexpr std::string_view kHeader = "p25radio-sim state 1";
constexpr uint32_t kDataBytesPerLine = 64;
constexpr char kHex[] = "0123456789ABCDEF";

const char* StateName(FlashRegion::State state) {
  switch (state) {
    case FlashRegion::State::Signed: return "signed";
    case FlashRegion::State::Refused: return "refused";
    default: return "unsigned";
  }
}

void AppendHex32(std::string& out, uint32_t value) {
  char text[12];
  std::snprintf(text, sizeof text, "%08X", value);
  out += text;
}

// Splits off the next space-separated word.
std::string_view NextWord(std::string_view& rest) {
  const size_t begin = rest.find_first_not_of(' ');
  if (begin == std::string_view::npos) {
    rest = {};
    return {};
  }
  rest.remove_prefix(begin);
  const size_t end = std::min(rest.find(' '), rest.size());
  std::string_view word = rest.substr(0, end);
  rest.remove_prefix(end);
  return word;
}

bool ParseNumber(std::string_view word, int base, uint32_t& value) {
  if (word.empty()) return false;
  const auto [end, ec] = std::from_chars(word.data(), word.data() + word.size(), value, base);
  return ec == std::errc() && end == word.data() + word.size();
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

bool ParseRange(std::string_view& rest, uint32_t& start, uint32_t& length, std::string& why) {
  if (!ParseNumber(NextWord(rest), 16, start) || !ParseNumber(NextWord(rest), 16, length)) {
    why = "expected a hexadecimal start and length";
    return false;
  }
  if (length == 0 || !FlashMemory::Contains(start, length)) {
    why = "range outside the flash";
    return false;
  }
  return true;
}

bool ParseLine(std::string_view line, RadioState& state, bool& sawSerial, std::string& why) {
  std::string_view rest = line;
  const std::string_view keyword = NextWord(rest);
  if (keyword == "serial") {
    if (!ParseNumber(NextWord(rest), 10, state.serialNumber)) {
      why = "expected a decimal serial number";
      return false;
    }
    sawSerial = true;
  } else if (keyword == "region") {
    FlashRegion region;
    if (!ParseRange(rest, region.start, region.length, why)) return false;
    const std::string_view name = NextWord(rest);
    if (name == "unsigned") region.state = FlashRegion::State::Unsigned;
    else if (name == "signed") region.state = FlashRegion::State::Signed;
    else if (name == "refused") region.state = FlashRegion::State::Refused;
    else {
      why = "expected unsigned, signed or refused";
      return false;
    }
    state.regions.push_back(region);
  } else if (keyword == "erased") {
    uint32_t start = 0, length = 0;
    if (!ParseRange(rest, start, length, why)) return false;
    state.flash.Erase(start, length);
  } else if (keyword == "data") {
    uint32_t start = 0;
    if (!ParseNumber(NextWord(rest), 16, start)) {
      why = "expected a hexadecimal start address";
      return false;
    }
    const std::string_view hex = NextWord(rest);
    if (hex.empty() || hex.size() % 2 != 0) {
      why = "expected an even number of hexadecimal digits";
      return false;
    }
    const uint32_t count = static_cast<uint32_t>(std::min<size_t>(hex.size() / 2, FlashMemory::kSize + 1));
    if (!FlashMemory::Contains(start, count)) {
      why = "range outside the flash";
      return false;
    }
    std::vector<uint8_t> bytes(count);
    for (uint32_t i = 0; i < count; ++i) {
      const int high = HexDigit(hex[2 * i]), low = HexDigit(hex[2 * i + 1]);
      if (high < 0 || low < 0) {
        why = "bad hexadecimal digit";
        return false;
      }
      bytes[i] = static_cast<uint8_t>(high << 4 | low);
    }
    state.flash.Program(start, bytes.data(), count);
  } else {
    why = "unknown keyword";
    return false;
  }
  if (!NextWord(rest).empty()) {
    why = "unexpected text at the end of the line";
    return false;
  }
  return true;
}

}  // namespace

bool RadioState::FirmwareValid() const {
  return std::all_of(regions.begin(), regions.end(),
                     [](const FlashRegion& r) { return r.state == FlashRegion::State::Signed; });
}

std::string FormatRadioState(const RadioState& state) {
  std::string out(kHeader);
  out += "\nserial " + std::to_string(state.serialNumber) + "\n";
  for (const FlashRegion& r : state.regions) {
    out += "region ";
    AppendHex32(out, r.start);
    out += ' ';
    AppendHex32(out, r.length);
    out += ' ';
    out += StateName(r.state);
    out += '\n';
  }
  const FlashMemory& flash = state.flash;
  uint32_t a = 0;
  while (a < FlashMemory::kSize) {
    const FlashMemory::Cell cell = flash.CellAt(a);
    uint32_t end = a + 1;
    const uint32_t limit = cell == FlashMemory::Cell::Programmed ? std::min(FlashMemory::kSize, a + kDataBytesPerLine)
                                                                 : FlashMemory::kSize;
    while (end < limit && flash.CellAt(end) == cell) ++end;
    if (cell == FlashMemory::Cell::Erased) {
      out += "erased ";
      AppendHex32(out, a);
      out += ' ';
      AppendHex32(out, end - a);
      out += '\n';
    } else if (cell == FlashMemory::Cell::Programmed) {
      out += "data ";
      AppendHex32(out, a);
      out += ' ';
      for (uint32_t i = a; i < end; ++i) {
        out += kHex[flash.At(i) >> 4];
        out += kHex[flash.At(i) & 0x0F];
      }
      out += '\n';
    }
    a = end;
  }
  return out;
}

bool ParseRadioState(std::string_view text, RadioState& state, std::string& error) {
  bool sawHeader = false, sawSerial = false;
  size_t lineNumber = 0;
  while (!text.empty()) {
    const size_t end = std::min(text.find('\n'), text.size());
    std::string_view line = text.substr(0, end);
    text.remove_prefix(std::min(end + 1, text.size()));
    ++lineNumber;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty()) continue;
    std::string why;
    if (!sawHeader) {
      if (line != kHeader) {
        error = "not a simulated radio state file (line " + std::to_string(lineNumber) + ")";
        return false;
      }
      sawHeader = true;
    } else if (!ParseLine(line, state, sawSerial, why)) {
      error = "line " + std::to_string(lineNumber) + ": " + why;
      return false;
    }
  }
  if (!sawHeader || !sawSerial) {
    error = sawHeader ? "no serial number in the state file" : "empty state file";
    return false;
  }
  return true;
}

bool SaveRadioState(const std::string& path, const RadioState& state, std::string& error) {
  // Written beside the target and renamed over it, so an interrupted save never leaves half a file.
  const std::string temporary = path + ".tmp";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    const std::string text = FormatRadioState(state);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    if (!out) {
      error = "cannot write " + temporary;
      return false;
    }
  }
  std::error_code ec;
  std::filesystem::rename(temporary, path, ec);
  if (ec) {
    error = "cannot replace " + path + ": " + ec.message();
    return false;
  }
  return true;
}

bool LoadRadioState(const std::string& path, RadioState& state, bool& found, std::string& error) {
  found = false;
  std::error_code ec;
  if (!std::filesystem::exists(path, ec)) return true;
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = "cannot read " + path;
    return false;
  }
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  auto loaded = std::make_unique<RadioState>();
  if (!ParseRadioState(text, *loaded, error)) {
    error = path + ": " + error;
    return false;
  }
  state = std::move(*loaded);
  found = true;
  return true;
}

}  // namespace p25

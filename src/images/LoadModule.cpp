#include "images/LoadModule.h"

#include <array>
#include <limits>
#include <new>

#include "images/FileContent.h"

namespace p25 {

namespace {

constexpr uint8_t kNotHex = 0xFF;

// Value of each character as a hexadecimal digit, either case, or kNotHex.
constexpr std::array<uint8_t, 256> MakeHexTable() {
  std::array<uint8_t, 256> table{};
  for (auto& value : table) value = kNotHex;
  for (int c = '0'; c <= '9'; ++c) table[c] = static_cast<uint8_t>(c - '0');
  for (int c = 'a'; c <= 'f'; ++c) table[c] = static_cast<uint8_t>(c - 'a' + 10);
  for (int c = 'A'; c <= 'F'; ++c) table[c] = static_cast<uint8_t>(c - 'A' + 10);
  return table;
}
constexpr std::array<uint8_t, 256> kHexValue = MakeHexTable();

constexpr uint32_t kDigitsPerLine = 4;
constexpr uint32_t kSeparatorLength = 2;

}  // namespace

bool LoadModule::LoadFromFile(const std::string&) { return false; }

bool LoadModule::LoadFromResource(uint16_t) { return false; }

bool LoadModule::Rewind() {
  const size_t size = Size();
  if (size > static_cast<size_t>(std::numeric_limits<int32_t>::max())) return false;
  totalCharacters_ = static_cast<int32_t>(size);
  charactersLeft_ = static_cast<uint32_t>(size);
  cursor_ = Data();
  if (cursor_ == nullptr) charactersLeft_ = 0;

  uint16_t low = 0;
  uint16_t high = 0;
  if (!ReadWord(low) || !ReadWord(high)) return false;
  // The header counts words; the top bit of the word address has no place in a 32-bit byte address.
  startAddress_ = currentAddress_ = ((uint32_t{high} << 16) | low) << 1;
  if (!ReadWord(low) || !ReadWord(high)) return false;
  totalWords_ = remainingWords_ = (uint32_t{high} << 16) | low;
  return true;
}

bool LoadModule::ReadWord(uint16_t& word) {
  word = 0;
  if (charactersLeft_ < kDigitsPerLine) return false;
  uint32_t value = 0;
  for (uint32_t i = 0; i < kDigitsPerLine; ++i) {
    const uint8_t digit = kHexValue[static_cast<unsigned char>(*cursor_)];
    ++cursor_;
    --charactersLeft_;
    if (digit == kNotHex) return false;
    value = (value << 4) | digit;
  }
  // The separator after the last line may be missing, so only a full one is skipped, unread.
  if (charactersLeft_ > kSeparatorLength) {
    cursor_ += kSeparatorLength;
    charactersLeft_ -= kSeparatorLength;
  }
  word = static_cast<uint16_t>(value);
  return true;
}

int LoadModule::ReadBlock(uint8_t* buffer, int capacity, uint32_t& address) {
  address = currentAddress_;
  const int budget = capacity / 2;
  int words = 0;
  while (words < budget && remainingWords_ > 0) {
    uint16_t word = 0;
    if (!ReadWord(word)) break;
    buffer[2 * words] = static_cast<uint8_t>(word >> 8);
    buffer[2 * words + 1] = static_cast<uint8_t>(word);
    --remainingWords_;
    ++words;
  }
  currentAddress_ += 2 * static_cast<uint32_t>(words);
  return 2 * words;
}

bool ResourceLoadModule::LoadFromResource(uint16_t id) {
  ResourceBytes found;
  if (!resources_.Find(kImageResourceType, id, found) || found.data == nullptr) return false;
  data_ = reinterpret_cast<const char*>(found.data);
  size_ = found.size;
  return Rewind();
}

bool FileLoadModule::LoadFromFile(const std::string& path, std::string& errorText) {
  const bool loaded = ReadFileContent(path, buffer_, length_, errorText) && Rewind();
  if (!loaded) NoteFailedLoad(path, errorText);
  return loaded;
}

std::unique_ptr<LoadModule> CreateResourceModule(uint16_t id, const std::string& name, std::string& errorText,
                                                 const ResourceSource& resources) {
  std::unique_ptr<ResourceLoadModule> module(new (std::nothrow) ResourceLoadModule(resources));
  if (!module) {
    errorText = "Failed allocate control memory for " + name;
    return nullptr;
  }
  if (!module->LoadFromResource(id)) {
    errorText = "Failed to load resource " + name;
    return nullptr;
  }
  return module;
}

std::unique_ptr<LoadModule> CreateFileModule(const std::string& path, std::string& errorText) {
  std::unique_ptr<FileLoadModule> module(new (std::nothrow) FileLoadModule);
  if (!module) {
    errorText = "Failed allocate control memory for " + path;
    return nullptr;
  }
  if (!module->LoadFromFile(path, errorText)) return nullptr;
  return module;
}

}  // namespace p25

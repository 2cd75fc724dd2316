// Arbitrary text as a DATFILE image (and as a signature) read through the file-backed objects: loading,
// block reads of every capacity and rewinds must never read outside the text or break the block rules.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>

#include "images/LoadModule.h"
#include "images/ModuleSignature.h"

namespace {

const std::string& InputPath() {
  static const std::string path =
      (std::filesystem::temp_directory_path() / ("p25-fuzz-images-" + std::to_string(std::random_device{}())))
          .string();
  return path;
}

bool WriteInput(const uint8_t* data, size_t size) {
  std::FILE* file = std::fopen(InputPath().c_str(), "wb");
  if (file == nullptr) return false;
  const bool ok = size == 0 || std::fwrite(data, 1, size, file) == size;
  return std::fclose(file) == 0 && ok;
}

void Check(bool condition) {
  if (!condition) std::abort();
}

void ReadImage(p25::LoadModule& module, uint8_t selector) {
  static const int kCapacities[] = {246, 0, 1, 7, 2, -5, 250};
  uint8_t buffer[250];
  for (int round = 0; round < 2; ++round) {
    Check(module.Rewind());
    int capacityIndex = selector % 7;
    for (int calls = 0; calls < 100000; ++calls) {
      const int capacity = kCapacities[capacityIndex];
      capacityIndex = (capacityIndex + 1) % 7;
      const uint32_t remaining = module.RemainingWords();
      const uint32_t current = module.CurrentAddress();
      uint32_t address = 0xDEADBEEF;
      const int n = module.ReadBlock(buffer, capacity, address);
      Check(address == current);
      Check(n >= 0 && n % 2 == 0 && n <= (capacity > 0 ? capacity : 0));
      Check(module.RemainingWords() == remaining - static_cast<uint32_t>(n / 2));
      Check(module.CurrentAddress() == current + static_cast<uint32_t>(n));
      if (n == 0 && capacity >= 2) break;
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (!WriteInput(data, size)) return 0;
  std::string error;
  if (auto module = p25::CreateFileModule(InputPath(), error)) {
    ReadImage(*module, size > 0 ? data[0] : 0);
  } else {
    Check(!error.empty());
  }
  error.clear();
  if (auto signature = p25::CreateFileSignature(InputPath(), error)) {
    uint8_t bytes[p25::ModuleSignature::kLength];
    Check(signature->ReadBytes(bytes, sizeof bytes));
    Check(!signature->ReadBytes(bytes, 1));
  } else {
    Check(!error.empty());
  }
  std::remove(InputPath().c_str());
  return 0;
}

// Arbitrary recovery-file contents: parsing never crashes, and a record it accepts formats back to
// itself.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "engine/RecoveryFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string contents(reinterpret_cast<const char*>(data), size);
  if (auto serial = p25::FirstRecoveryRecord(contents)) {
    if (p25::FirstRecoveryRecord(p25::FormatRecoveryRecord(*serial)) != serial) std::abort();
  }
  return 0;
}

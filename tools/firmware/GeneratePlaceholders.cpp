// Writes the placeholder firmware set the build embeds when no real set is given: one DATFILE text and
// one 20-byte signature per slot, with the header values of the carried images, so that sizes, block
// counts and addresses are those of the real set. Data words are a fixed pseudo-random sequence per
// slot; the signatures are ones the simulated radio checks against what was written to its flash.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "PlaceholderSignature.h"

namespace {

struct PlaceholderImage {
  const char* name;
  uint32_t byteAddress;
  uint32_t words;
};

constexpr PlaceholderImage kImages[] = {
    {"flash", 0x200000, 9370}, {"controlA", 0x10000, 2048},  {"controlB", 0x100000, 268288},
    {"dsp", 0xC0000, 100544},  {"control", 0x10000, 229376}, {"dsp501", 0xC0000, 80692},
};

// xorshift32: the same words on every build and every machine.
uint32_t NextRandom(uint32_t& state) {
  state ^= state << 13;
  state ^= state >> 17;
  state ^= state << 5;
  return state;
}

void AppendLine(std::string& text, uint16_t word) {
  char line[8];
  std::snprintf(line, sizeof line, "%04x\r\n", static_cast<unsigned>(word));
  text += line;
}

bool WriteFile(const std::filesystem::path& path, const std::string& content) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(content.data(), static_cast<std::streamsize>(content.size()));
  out.close();
  if (!out) {
    std::fprintf(stderr, "cannot write %s\n", path.string().c_str());
    return false;
  }
  return true;
}

bool WriteImage(const std::filesystem::path& folder, PlaceholderImage image, uint32_t seed, uint32_t maxWords) {
  if (image.words > maxWords) image.words = maxWords;
  const uint32_t wordAddress = image.byteAddress / 2;
  std::string text;
  text.reserve((4 + size_t{image.words}) * 6);
  AppendLine(text, static_cast<uint16_t>(wordAddress));
  AppendLine(text, static_cast<uint16_t>(wordAddress >> 16));
  AppendLine(text, static_cast<uint16_t>(image.words));
  AppendLine(text, static_cast<uint16_t>(image.words >> 16));
  std::vector<uint8_t> bytes;
  bytes.reserve(size_t{image.words} * 2);
  uint32_t state = seed;
  for (uint32_t i = 0; i < image.words; ++i) {
    const auto word = static_cast<uint16_t>(NextRandom(state) >> 8);
    AppendLine(text, word);
    bytes.push_back(static_cast<uint8_t>(word >> 8));
    bytes.push_back(static_cast<uint8_t>(word));
  }
  const p25::placeholder::Signature signature =
      p25::placeholder::SignImage(image.byteAddress, bytes.data(), bytes.size());
  const std::string name = image.name;
  return WriteFile(folder / (name + ".dat"), text) &&
         WriteFile(folder / (name + ".sgn"),
                   std::string(reinterpret_cast<const char*>(signature.data()), signature.size()));
}

}  // namespace

int main(int argc, char** argv) {
  // --max-words N makes a small set (each image cut to N words) for quick end-to-end runs.
  uint32_t maxWords = UINT32_MAX;
  if (argc == 4 && std::string(argv[1]) == "--max-words") {
    maxWords = static_cast<uint32_t>(std::strtoul(argv[2], nullptr, 10));
    argv += 2;
    argc -= 2;
  }
  if (argc != 2 || maxWords == 0) {
    std::fprintf(stderr, "usage: %s [--max-words N] <output folder>\n", argv[0]);
    return 2;
  }
  const std::filesystem::path folder(argv[1]);
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  if (error) {
    std::fprintf(stderr, "cannot create %s: %s\n", argv[1], error.message().c_str());
    return 1;
  }
  uint32_t seed = 0x2545F491u;
  for (const PlaceholderImage& image : kImages) {
    if (!WriteImage(folder, image, seed, maxWords)) return 1;
    seed = seed * 69069u + 1u;
  }
  return 0;
}

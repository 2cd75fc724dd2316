#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <string>
#include <utility>

#ifdef __linux__
#include <unistd.h>
#endif

#include "ImageTestSupport.h"
#include "images/LoadModule.h"
#include "images/ModuleSignature.h"

namespace p25 {
namespace {

using test::DatText;
using test::TempFile;

const std::string kTwentyBytes = "ABCDEFGHIJKLMNOPQRST";

TEST(FileVariants, LoadAnImageAndASignatureFromFiles) {
  TempFile image("dsp.dat", DatText({"0000", "0006", "0001", "0000", "beef"}));
  TempFile signatureFile("dsp.sgn", kTwentyBytes);
  std::string error;
  auto module = CreateFileModule(image.Path(), error);
  auto signature = CreateFileSignature(signatureFile.Path(), error);
  ASSERT_NE(module, nullptr);
  ASSERT_NE(signature, nullptr);
  EXPECT_TRUE(error.empty());
  EXPECT_TRUE(module->IsFileBacked());
  EXPECT_TRUE(signature->IsFileBacked());
  EXPECT_EQ(module->StartAddress(), 0xC0000u);
  std::array<uint8_t, 20> bytes{};
  for (int pass = 0; pass < 2; ++pass) {
    ASSERT_TRUE(signature->Rewind());
    ASSERT_TRUE(signature->ReadBytes(bytes.data(), 20));
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), kTwentyBytes);
  }
}

TEST(FileVariants, NameThePathWhenAFileDoesNotLoad) {
  TempFile empty("empty");
  TempFile badHeader("bad.dat", DatText({"8000", "00x0", "0001", "0000", "1234"}));
  TempFile shortSignature("short.sgn", "ABCDE");
  TempFile longSignature("long.sgn", kTwentyBytes + "U");
  const std::string missing = empty.Folder() + "/none";
  for (const std::string& path : {missing, empty.Path(), badHeader.Path()}) {
    std::string error;
    EXPECT_EQ(CreateFileModule(path, error), nullptr) << path;
    EXPECT_EQ(error, "Failed to load " + path);
  }
  for (const std::string& path : {missing, empty.Path(), shortSignature.Path(), longSignature.Path()}) {
    std::string error;
    EXPECT_EQ(CreateFileSignature(path, error), nullptr) << path;
    EXPECT_EQ(error, "Failed to load " + path);
  }
  // An earlier, more precise text is kept; a folder is refused with some text.
  std::string error = "Failed to read X";
  EXPECT_EQ(CreateFileModule(missing, error), nullptr);
  EXPECT_EQ(error, "Failed to read X");
  error.clear();
  EXPECT_EQ(CreateFileModule(empty.Folder(), error), nullptr);
  EXPECT_FALSE(error.empty());
}

#ifdef __linux__
// What ordinary files never do: a pipe cannot seek, and a kernel attribute claims a page but reads
// back a few bytes.
TEST(FileVariants, SayWhenTheFileSystemFailsOrAFileReadsShort) {
  int ends[2];
  ASSERT_EQ(::pipe(ends), 0);
  const std::string pipe = "/proc/self/fd/" + std::to_string(ends[0]);
  const std::string attribute = "/sys/devices/system/cpu/online";
  const bool haveAttribute = std::filesystem::exists(attribute);
  for (const auto& [path, text] : {std::pair{pipe, std::string("File I/O Error")},
                                   std::pair{attribute, "Failed to read " + attribute}}) {
    if (path == attribute && !haveAttribute) continue;
    std::string error;
    EXPECT_EQ(CreateFileModule(path, error), nullptr);
    EXPECT_EQ(error, text);
    error.clear();
    EXPECT_EQ(CreateFileSignature(path, error), nullptr);
    EXPECT_EQ(error, text);
  }
  ::close(ends[0]);
  ::close(ends[1]);
  if (!haveAttribute) GTEST_SKIP() << "no " << attribute;
}
#endif

TEST(ResourceVariants, NameTheSlotWhenAResourceIsMissingOrDamaged) {
  test::MemoryResources resources;
  resources.Add("SGNFILE", 104, "short");
  resources.Add("SGNFILE", 152, kTwentyBytes);  // the right id under the wrong type
  std::string error;
  EXPECT_EQ(CreateResourceSignature(103, "CONTROLA", error, resources), nullptr);
  EXPECT_EQ(error, "Failed to load resource CONTROLA");
  EXPECT_EQ(CreateResourceSignature(104, "DSP", error, resources), nullptr);
  EXPECT_EQ(error, "Failed to load resource DSP");
  EXPECT_EQ(CreateResourceModule(152, "CONTROLB", error, resources), nullptr);
  EXPECT_EQ(error, "Failed to load resource CONTROLB");
}

TEST(ModuleSignature, NeverReadsPastItsBytes) {
  test::MemoryResources resources;
  resources.Add("SGNFILE", 101, kTwentyBytes);
  std::string error;
  auto signature = CreateResourceSignature(101, "FLASH", error, resources);
  ASSERT_NE(signature, nullptr);
  std::array<uint8_t, 21> bytes{};
  EXPECT_TRUE(signature->ReadBytes(bytes.data(), 0));
  EXPECT_TRUE(signature->ReadBytes(bytes.data(), -3));
  EXPECT_FALSE(signature->ReadBytes(bytes.data(), 21));
  EXPECT_TRUE(signature->ReadBytes(bytes.data(), 15));
  EXPECT_FALSE(signature->ReadBytes(bytes.data() + 15, 6));
  EXPECT_TRUE(signature->ReadBytes(bytes.data() + 15, 5));
  EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 20), kTwentyBytes);
}

}  // namespace
}  // namespace p25

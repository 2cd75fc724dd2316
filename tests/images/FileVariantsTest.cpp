#include <gtest/gtest.h>

#include <array>
#include <string>

#include "ImageTestSupport.h"
#include "images/LoadModule.h"
#include "images/ModuleSignature.h"

namespace p25 {
namespace {

using test::DatText;
using test::MemoryResources;
using test::TempFile;

const std::string kTwentyBytes = "ABCDEFGHIJKLMNOPQRST";

TEST(FileLoadModule, LoadsAnImageFromAFile) {
  TempFile file("dsp.dat", DatText({"0000", "0006", "0001", "0000", "beef"}));
  std::string error;
  auto module = CreateFileModule(file.Path(), error);
  ASSERT_NE(module, nullptr);
  EXPECT_TRUE(error.empty());
  EXPECT_TRUE(module->IsFileBacked());
  EXPECT_EQ(module->StartAddress(), 0xC0000u);
  std::array<uint8_t, 2> buffer{};
  uint32_t address = 0;
  EXPECT_EQ(module->ReadBlock(buffer.data(), 2, address), 2);
  EXPECT_EQ(buffer[0], 0xBE);
}

TEST(FileLoadModule, NamesThePathWhenAFileDoesNotLoad) {
  TempFile empty("empty.dat");
  TempFile badHeader("bad.dat", DatText({"8000", "00x0", "0001", "0000", "1234"}));
  const std::string missing = empty.Folder() + "/none.dat";
  for (const std::string& path : {missing, empty.Path(), badHeader.Path()}) {
    std::string error;
    EXPECT_EQ(CreateFileModule(path, error), nullptr) << path;
    EXPECT_EQ(error, "Failed to load " + path);
  }
}

TEST(FileLoadModule, KeepsAnEarlierErrorText) {
  std::string error = "Failed to read X";
  EXPECT_EQ(CreateFileModule("/nonexistent/p25/none.dat", error), nullptr);
  EXPECT_EQ(error, "Failed to read X");
}

TEST(FileLoadModule, RefusesAFolderWithAClearText) {
  TempFile file("x.dat");
  std::string error;
  EXPECT_EQ(CreateFileModule(file.Folder(), error), nullptr);
  EXPECT_FALSE(error.empty());
}

TEST(FileModuleSignature, HandsOutItsTwentyBytesAfterEachRewind) {
  TempFile file("flash.sgn", kTwentyBytes);
  std::string error;
  auto signature = CreateFileSignature(file.Path(), error);
  ASSERT_NE(signature, nullptr);
  EXPECT_TRUE(signature->IsFileBacked());
  std::array<uint8_t, 20> bytes{};
  for (int pass = 0; pass < 2; ++pass) {
    ASSERT_TRUE(signature->Rewind());
    ASSERT_TRUE(signature->ReadBytes(bytes.data(), 20));
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), kTwentyBytes);
  }
}

TEST(FileModuleSignature, RefusesMissingEmptyAndWronglySizedFiles) {
  TempFile empty("empty.sgn");
  TempFile shortFile("short.sgn", "ABCDE");
  TempFile longFile("long.sgn", kTwentyBytes + "U");
  for (const std::string& path :
       {empty.Folder() + "/none.sgn", empty.Path(), shortFile.Path(), longFile.Path()}) {
    std::string error;
    EXPECT_EQ(CreateFileSignature(path, error), nullptr) << path;
    EXPECT_EQ(error, "Failed to load " + path);
  }
}

TEST(ModuleSignature, NeverReadsPastItsBytes) {
  MemoryResources resources;
  resources.Add("SGNFILE", 101, kTwentyBytes);
  std::string error;
  auto signature = CreateResourceSignature(101, "FLASH", error, resources);
  ASSERT_NE(signature, nullptr);
  EXPECT_FALSE(signature->IsFileBacked());
  std::array<uint8_t, 21> bytes{};
  EXPECT_TRUE(signature->ReadBytes(bytes.data(), 0));
  EXPECT_TRUE(signature->ReadBytes(bytes.data(), -3));
  EXPECT_FALSE(signature->ReadBytes(bytes.data(), 21));
  EXPECT_TRUE(signature->ReadBytes(bytes.data(), 15));
  EXPECT_FALSE(signature->ReadBytes(bytes.data() + 15, 6));
  EXPECT_TRUE(signature->ReadBytes(bytes.data() + 15, 5));
  EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 20), kTwentyBytes);
  EXPECT_FALSE(signature->ReadBytes(bytes.data(), 1));
}

TEST(ResourceCreation, NamesTheSlotWhenAResourceIsMissingOrDamaged) {
  MemoryResources resources;
  resources.Add("SGNFILE", 104, "short");
  std::string error;
  EXPECT_EQ(CreateResourceSignature(103, "CONTROLA", error, resources), nullptr);
  EXPECT_EQ(error, "Failed to load resource CONTROLA");
  EXPECT_EQ(CreateResourceSignature(104, "DSP", error, resources), nullptr);
  EXPECT_EQ(error, "Failed to load resource DSP");
  error = "earlier";
  EXPECT_EQ(CreateResourceModule(152, "CONTROLB", error, resources), nullptr);
  EXPECT_EQ(error, "Failed to load resource CONTROLB");
}

}  // namespace
}  // namespace p25

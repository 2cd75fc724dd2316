// The resource section the build makes: the firmware set it was given under the catalogue's ids with its
// language tags, used where the loader mapped it, and the window's icon, logo, menu and string.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <set>
#include <tuple>
#include <string>
#include <utility>

#include "engine/ControlIds.h"
#include "images/Catalogue.h"
#include "platform/Resources.h"

namespace p25 {
namespace {

std::string FileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(ResourceSection, CarriesEveryFirmwareFileUnderItsIdAndLanguage) {
  const auto* base = reinterpret_cast<const uint8_t*>(GetModuleHandleA(nullptr));
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  const uint8_t* end = base + nt->OptionalHeader.SizeOfImage;
  for (const SlotInfo& slot : kSlotTable) {
    for (const auto& [type, id, extension, sublanguage] :
         {std::tuple{"DATFILE", slot.imageResourceId, ".dat", SUBLANG_ENGLISH_UK},
          std::tuple{"SGNFILE", slot.signatureResourceId, ".sgn", SUBLANG_ENGLISH_US}}) {
      SCOPED_TRACE(std::string(slot.name) + extension);
      const std::string file = FileBytes(std::string(P25_FIRMWARE_FOLDER) + "/" + slot.name + extension);
      ResourceBytes found;
      // A file missing from a given set is not embedded.
      ASSERT_EQ(EmbeddedResources().Find(type, id, found), !file.empty());
      if (file.empty()) continue;
      // In place: inside the program image, not a copy.
      EXPECT_GE(found.data, base);
      EXPECT_LE(found.data + found.size, end);
      EXPECT_EQ(std::string(reinterpret_cast<const char*>(found.data), found.size), file);
      EXPECT_NE(FindResourceExA(nullptr, type, MAKEINTRESOURCEA(id), MAKELANGID(LANG_ENGLISH, sublanguage)), nullptr);
    }
  }
  ResourceBytes none;
  EXPECT_FALSE(EmbeddedResources().Find("DATFILE", 101, none));
  EXPECT_FALSE(EmbeddedResources().Find("SGNFILE", 145, none));
}

#pragma pack(push, 2)
struct IconGroupEntry {
  BYTE width, height, colours, reserved;
  WORD planes, bitCount;
  DWORD bytes;
  WORD id;
};
#pragma pack(pop)

TEST(ResourceSection, HoldsTheIconLogoMenuAndSystemMenuText) {
  HRSRC group = FindResourceA(nullptr, MAKEINTRESOURCEA(P25_IDI_PROGRAM), RT_GROUP_ICON);
  ASSERT_NE(group, nullptr);
  const auto* header = static_cast<const WORD*>(LockResource(LoadResource(nullptr, group)));
  const auto* entries = reinterpret_cast<const IconGroupEntry*>(header + 3);
  std::set<std::pair<int, int>> images;
  for (int i = 0; i < header[2]; ++i) images.insert({entries[i].width, entries[i].bitCount});
  EXPECT_EQ(images, (std::set<std::pair<int, int>>{{32, 4}, {16, 4}, {32, 8}}));

  HRSRC logo = FindResourceA(nullptr, MAKEINTRESOURCEA(P25_IDB_LOGO), RT_BITMAP);
  ASSERT_NE(logo, nullptr);
  const auto* info = static_cast<const BITMAPINFOHEADER*>(LockResource(LoadResource(nullptr, logo)));
  EXPECT_EQ(info->biWidth, 244);
  EXPECT_EQ(info->biHeight, 61);
  EXPECT_EQ(info->biBitCount, 8);

  char text[64] = {};
  LoadStringA(nullptr, P25_IDS_ABOUT_ENTRY, text, sizeof text);
  EXPECT_STREQ(text, "&About Update...");

  HMENU menu = LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(P25_IDR_MAIN_MENU));
  ASSERT_NE(menu, nullptr);
  ASSERT_EQ(GetMenuItemCount(menu), 1);
  GetMenuStringA(menu, 0, text, sizeof text, MF_BYPOSITION);
  EXPECT_STREQ(text, "&Help");
  HMENU help = GetSubMenu(menu, 0);
  ASSERT_EQ(GetMenuItemCount(help), 2);
  EXPECT_EQ(GetMenuItemID(help, 0), static_cast<UINT>(P25_ID_HELP_CONTROLS));
  GetMenuStringA(help, 0, text, sizeof text, MF_BYPOSITION);
  EXPECT_STREQ(text, "&Controls");
  EXPECT_EQ(GetMenuItemID(help, 1), static_cast<UINT>(P25_ID_HELP_ABOUT));
  GetMenuStringA(help, 1, text, sizeof text, MF_BYPOSITION);
  EXPECT_STREQ(text, "&About");
  DestroyMenu(menu);
}

}  // namespace
}  // namespace p25

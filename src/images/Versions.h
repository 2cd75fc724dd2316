#pragma once
#include <string>
#include <string_view>

namespace p25 {

// True when both texts are the same and read as major.minor.patch in decimal with a patch of 0.
bool IsZeroPatchVersion(std::string_view first, std::string_view second);

// The text before the second point ("8.3.0" gives "8.3"); the whole text if it has fewer points.
std::string TrimVersion(std::string_view version);

}  // namespace p25

#pragma once
// Texts of the main window's caption. No Windows dependency.
#include <cstdint>
#include <string>
#include <string_view>

namespace tresk {

// "<title> [Size: <w>x<h>]"
std::string SizeCaption(std::string_view title, std::int32_t widthPx, std::int32_t heightPx);

// "<title> [Size: <w>x<h>; RGB: <r>,<g>,<b>]" for a colour laid out as 0x00BBGGRR.
std::string PickCaption(std::string_view title, std::int32_t widthPx, std::int32_t heightPx,
                        std::uint32_t rgb);

}  // namespace tresk

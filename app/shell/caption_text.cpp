#include "app/shell/caption_text.h"

#include "app/render/colors.h"

namespace tresk {

namespace {

std::string SizePart(std::string_view title, std::int32_t widthPx, std::int32_t heightPx) {
    std::string caption(title);
    caption += " [Size: ";
    caption += std::to_string(widthPx);
    caption += 'x';
    caption += std::to_string(heightPx);
    return caption;
}

}  // namespace

std::string SizeCaption(std::string_view title, std::int32_t widthPx, std::int32_t heightPx) {
    return SizePart(title, widthPx, heightPx) + "]";
}

std::string PickCaption(std::string_view title, std::int32_t widthPx, std::int32_t heightPx,
                        std::uint32_t rgb) {
    std::string caption = SizePart(title, widthPx, heightPx);
    caption += "; RGB: ";
    caption += std::to_string(RedOf(rgb));
    caption += ',';
    caption += std::to_string(GreenOf(rgb));
    caption += ',';
    caption += std::to_string(BlueOf(rgb));
    caption += ']';
    return caption;
}

}  // namespace tresk

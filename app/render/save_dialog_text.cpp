#include "app/render/save_dialog_text.h"

#include <algorithm>

namespace tresk {
namespace {

// The text up to the first NUL, or none when the buffer holds no NUL at all.
std::string_view UpToNul(std::string_view buffer) {
    std::size_t end = buffer.find('\0');
    return end == std::string_view::npos ? std::string_view{} : buffer.substr(0, end);
}

}  // namespace

std::string SaveDialogFilter(std::string_view filter) {
    std::string result(filter);
    if (result.find('|') == std::string::npos) {
        return result;
    }
    std::replace(result.begin(), result.end(), '|', '\0');
    result.append(2, '\0');
    return result;
}

std::string SaveDialogFileBuffer(std::string_view fileName) {
    std::string buffer(kSaveDialogBufferChars, '\0');
    std::string_view name = fileName.substr(0, std::min(fileName.size(), kSaveDialogBufferChars));
    std::copy(name.begin(), name.end(), buffer.begin());
    return buffer;
}

SaveDialogChoice ReadSaveDialogChoice(std::string_view fileBuffer,
                                      std::string_view fileTitleBuffer) {
    std::string_view path = UpToNul(fileBuffer);
    if (path.empty()) {
        return {};
    }
    return {std::string(path), std::string(UpToNul(fileTitleBuffer))};
}

}  // namespace tresk

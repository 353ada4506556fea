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
    std::size_t length = std::min(fileName.size(), kSaveDialogBufferChars);
    // Back to the start of a character: UTF-8 continuation bytes are 10xxxxxx.
    while (length > 0 && length < fileName.size() &&
           (static_cast<unsigned char>(fileName[length]) & 0xC0u) == 0x80u) {
        --length;
    }
    std::string_view name = fileName.substr(0, length);
    std::copy(name.begin(), name.end(), buffer.begin());
    return buffer;
}

SaveDialogChoice ReadSaveDialogChoice(std::string_view fileBuffer,
                                      std::string_view fileTitleBuffer) {
    if (fileBuffer.find('\0') == std::string_view::npos) {
        return {{}, {}, false};
    }
    std::string_view path = UpToNul(fileBuffer);
    if (path.empty()) {
        return {};
    }
    std::string_view fileName = UpToNul(fileTitleBuffer);
    if (fileName.empty() || !path.ends_with(fileName)) {
        return {{}, {}, false};
    }
    return {std::string(path), std::string(fileName)};
}

}  // namespace tresk

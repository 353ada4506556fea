#include "toolkit/system_text.h"

#include <string_view>

namespace tk {

std::string SystemErrorText(DWORD code, const char* insert) {
    char* buffer = nullptr;
    const DWORD length = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<char*>(&buffer), 0, nullptr);
    std::string text = length != 0 && buffer != nullptr ? std::string(buffer, length) : "";
    LocalFree(buffer);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) {
        text.pop_back();
    }
    if (insert != nullptr) {
        const std::string_view name(insert);
        for (std::size_t at = text.find("%1"); at != std::string::npos;
             at = text.find("%1", at + name.size())) {
            text.replace(at, 2, name);
        }
    }
    return text;
}

}  // namespace tk

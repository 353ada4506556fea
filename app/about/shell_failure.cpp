#include "app/about/shell_failure.h"

namespace tresk {

std::string_view ShellFailureText(std::intptr_t shellResult) {
    if (shellResult > 32) {
        return {};
    }
    switch (shellResult) {
        case 2:
            return "File not found.";
        case 3:
            return "Path not found.";
        case 5:
            return "Access denied.";
        case 27:
            return "Incomplete association type of file.";
        case 31:
            return "Missing association type of file.";
        default:
            return "Generic access file error.";
    }
}

}  // namespace tresk

#pragma once
// The program's binding to the hook library: loaded from the program's own folder at
// the first call of an export, each export bound by name at its first call and then reused.
#include <cstdint>

namespace tresk::hooklib {

// Each raises a run-time error naming the file or the export when the library or
// the export cannot be found, and with the system's reason when the file is there
// but cannot be loaded. Arguments and results are 32-bit values.
std::int32_t InitMouseHook(std::int32_t window);
std::int32_t InstallFilter(std::int32_t index, std::int32_t install);
std::int32_t SetCursorApp(std::int32_t cursor);
std::int32_t SetCursorSys(std::int32_t cursor);
std::int32_t RunCursorApp();
std::int32_t StopCursorApp();
std::int32_t MOUSEPOINTS(std::int32_t value);

// The library's file name; the file must lie beside the program.
inline constexpr char kLibraryFile[] = "Treskhook.dll";

}  // namespace tresk::hooklib

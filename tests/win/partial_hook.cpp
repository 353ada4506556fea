// A stand-in for the hook library that lacks most of its exports, for the tests of
// what the program does when a name cannot be bound. Built as Treskhook.dll in a
// folder of its own.
#include <windows.h>

#include <cstdint>

extern "C" {

__declspec(dllexport) std::int32_t __stdcall InitMouseHook(std::int32_t) {
    return 1;
}
__declspec(dllexport) std::int32_t __stdcall SetCursorApp(std::int32_t) {
    return 1;
}
}

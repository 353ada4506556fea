# The settings every target of the project is built with, in one place. Each folder
# calls tresk_build_settings(<target> [PROGRAM]) for every target it makes.

set(TRESK_WARNINGS -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wsign-conversion -Werror)
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    # GCC 12 reports false overlaps inside std::string concatenation (GCC bug 105329).
    list(APPEND TRESK_WARNINGS -Wno-restrict)
endif()

# The native preset's sanitizers, compiled into and linked with every target of that
# build. Empty in the Windows build.
set(TRESK_SANITIZE "" CACHE STRING "Sanitizer options for every target (a list)")

# tresk_build_settings(<target> [PROGRAM])
#   Warnings are errors. Release builds are built for size, since the program's time
#   goes to the system calls it makes, not to its own code: -Os; -fno-ipa-sra, because
#   the reduced copies the compiler makes of the string library's functions are local
#   to each object and so repeated in every object that uses them (5 KB of the
#   executable), where the plain functions are shared by all; and -fno-ident, no
#   compiler version string in every object. The test programs and benchmarks are built
#   as the code they run.
#   PROGRAM marks the program's own code (the libraries Treskcolor.exe is made of, and
#   the executable): its function-local statics get no thread-safe guards. The program
#   starts no thread, and the system calls its window, dialog-hook and timer procedures
#   on the thread that made the window, so every such static is first reached on the
#   one user-interface thread. Without the guards the runtime's guard functions stay
#   out of the executable (about 2.5 KB). Should the program ever run its own code on a
#   second thread, this setting has to go.
function(tresk_build_settings target)
    cmake_parse_arguments(S "PROGRAM" "" "" ${ARGN})
    target_compile_options(${target} PRIVATE
        "$<$<COMPILE_LANGUAGE:C,CXX>:${TRESK_WARNINGS}>"
        "$<$<AND:$<COMPILE_LANGUAGE:C,CXX>,$<CONFIG:Release>>:-Os;-fno-ipa-sra;-fno-ident>")
    if(S_PROGRAM)
        target_compile_options(${target} PRIVATE $<$<COMPILE_LANGUAGE:CXX>:-fno-threadsafe-statics>)
    endif()
    if(TRESK_SANITIZE)
        target_compile_options(${target} PRIVATE "$<$<COMPILE_LANGUAGE:C,CXX>:${TRESK_SANITIZE}>")
        get_target_property(type ${target} TYPE)
        if(type STREQUAL "EXECUTABLE")
            target_link_options(${target} PRIVATE ${TRESK_SANITIZE})
        endif()
    endif()
endfunction()

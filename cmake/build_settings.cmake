# The settings every target of the project is built with, in one place. Each folder
# calls tresk_build_settings(<target>) for every target it makes.

set(TRESK_WARNINGS -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wsign-conversion -Werror)
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    # GCC 12 reports false overlaps inside std::string concatenation (GCC bug 105329).
    list(APPEND TRESK_WARNINGS -Wno-restrict)
endif()

# The native preset's sanitizers, compiled into and linked with every target of that
# build. Empty in the Windows build.
set(TRESK_SANITIZE "" CACHE STRING "Sanitizer options for every target (a list)")

# tresk_build_settings(<target>)
#   Warnings are errors. Release builds are built for size: the program's time goes to
#   the system calls it makes, not to its own code. The test programs and benchmarks
#   are built as the code they run.
function(tresk_build_settings target)
    target_compile_options(${target} PRIVATE
        "$<$<COMPILE_LANGUAGE:C,CXX>:${TRESK_WARNINGS}>"
        "$<$<AND:$<COMPILE_LANGUAGE:C,CXX>,$<CONFIG:Release>>:-Os>")
    if(TRESK_SANITIZE)
        target_compile_options(${target} PRIVATE "$<$<COMPILE_LANGUAGE:C,CXX>:${TRESK_SANITIZE}>")
        get_target_property(type ${target} TYPE)
        if(type STREQUAL "EXECUTABLE")
            target_link_options(${target} PRIVATE ${TRESK_SANITIZE})
        endif()
    endif()
endfunction()

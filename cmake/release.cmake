# The release: reproducible builds of the two deliverables and the archive that
# carries them to Windows users.
#
# The same sources give the same bytes in any folder at any time: the linker writes
# no time stamp into the PE headers, and no object carries the folder it was built
# in (file names in macros and debug data are written relative to the source tree).
# Both settings must come before the deliverables' directories are added.
add_link_options(-Wl,--no-insert-timestamp)
add_compile_options(
    "$<$<COMPILE_LANGUAGE:C,CXX>:-ffile-prefix-map=${CMAKE_SOURCE_DIR}/=>"
    "$<$<COMPILE_LANGUAGE:C,CXX>:-ffile-prefix-map=${CMAKE_BINARY_DIR}/=>")

find_package(Python3 REQUIRED COMPONENTS Interpreter)
set(TRESK_DIST_DIR ${CMAKE_SOURCE_DIR}/build/dist)
set(TRESK_DIST_ZIP ${TRESK_DIST_DIR}/TreskColor-${PROJECT_VERSION}-win32.zip)

# `dist`, built by `make dist` only, never by a plain build:
# build/dist/TreskColor-<version>-win32.zip with both deliverables, the Windows notes,
# the licence and their SHA-256 sums. It fails unless the newest entry of CHANGELOG.md
# is this version.
function(tresk_release_targets)
    # The linker would otherwise pick the library's load address from a hash of its
    # output path. A fixed one, away from the 0x10000000 most DLLs are linked at, so
    # that the loader seldom has to move it in the programs it is mapped into.
    target_link_options(Treskhook PRIVATE -Wl,--image-base,0x67a40000)
    add_custom_command(
        OUTPUT ${TRESK_DIST_ZIP}
        COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/dist/make_dist.py
                --version ${PROJECT_VERSION}
                --exe $<TARGET_FILE:Treskcolor> --dll $<TARGET_FILE:Treskhook>
                --readme ${CMAKE_SOURCE_DIR}/dist/README.txt
                --license ${CMAKE_SOURCE_DIR}/LICENSE
                --changelog ${CMAKE_SOURCE_DIR}/CHANGELOG.md
                --output ${TRESK_DIST_ZIP}
        DEPENDS Treskcolor Treskhook
                ${CMAKE_SOURCE_DIR}/dist/make_dist.py ${CMAKE_SOURCE_DIR}/dist/README.txt
                ${CMAKE_SOURCE_DIR}/LICENSE ${CMAKE_SOURCE_DIR}/CHANGELOG.md
        COMMENT "Writing the release archive ${TRESK_DIST_ZIP}"
        VERBATIM)
    add_custom_target(dist DEPENDS ${TRESK_DIST_ZIP})
endfunction()

# The archive's content, and a second build of the same sources in other folders. The
# checks build the archive first, as `make dist` does.
function(tresk_release_tests)
    add_test(NAME dist_archive_build
             COMMAND ${CMAKE_COMMAND} --build ${CMAKE_BINARY_DIR} --target dist)
    set_tests_properties(dist_archive_build PROPERTIES FIXTURES_SETUP tresk_dist_archive)
    add_test(NAME dist_archive_check
             COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tests/win/release_check.py
                     archive ${TRESK_DIST_ZIP} ${TRESK_BIN_DIR})
    add_test(NAME dist_reproducible_check
             COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tests/win/release_check.py
                     rebuild ${CMAKE_SOURCE_DIR} ${TRESK_DIST_ZIP})
    set_tests_properties(dist_archive_check dist_reproducible_check
                         PROPERTIES FIXTURES_REQUIRED tresk_dist_archive)
    set_tests_properties(dist_reproducible_check PROPERTIES TIMEOUT 1200)
endfunction()

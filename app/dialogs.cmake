# The system dialogs and the small window utilities (colour and save dialogs,
# system-menu item, shell open, top-most).
if(NOT TARGET tresk_state)
    add_library(tresk_state STATIC ${CMAKE_CURRENT_LIST_DIR}/shell/shared_state.cpp)
    target_include_directories(tresk_state PUBLIC ${CMAKE_SOURCE_DIR})
    target_compile_options(tresk_state PRIVATE ${TRESK_WARNINGS})
endif()

add_library(tresk_dialogs STATIC
    ${CMAKE_CURRENT_LIST_DIR}/render/color_dialog.cpp
    ${CMAKE_CURRENT_LIST_DIR}/render/save_dialog.cpp
    ${CMAKE_CURRENT_LIST_DIR}/about/system_menu.cpp
    ${CMAKE_CURRENT_LIST_DIR}/about/shell_open.cpp
    ${CMAKE_CURRENT_LIST_DIR}/about/top_most.cpp)
target_include_directories(tresk_dialogs PUBLIC ${CMAKE_SOURCE_DIR})
target_compile_options(tresk_dialogs PRIVATE ${TRESK_WARNINGS})
target_link_libraries(tresk_dialogs PUBLIC tresk_state tresk_pure comdlg32 shell32 user32 gdi32)

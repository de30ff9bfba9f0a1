# The Qt side of the Viewer: every window and the platform layer in one
# library, and the program itself, which is only main.cpp.
find_package(Qt6 REQUIRED COMPONENTS Core Gui Widgets WebEngineCore WebEngineWidgets)

file(GLOB_RECURSE viewer_gui_sources CONFIGURE_DEPENDS
     ${CMAKE_CURRENT_SOURCE_DIR}/platform/*.cpp
     ${CMAKE_CURRENT_SOURCE_DIR}/*_window.cpp)
add_library(viewer_gui STATIC ${viewer_gui_sources})
target_link_libraries(viewer_gui PUBLIC viewer_core common Threads::Threads
                      Qt6::Widgets Qt6::WebEngineCore Qt6::WebEngineWidgets)

add_executable(Viewer ${CMAKE_CURRENT_SOURCE_DIR}/main.cpp)
target_link_libraries(Viewer PRIVATE viewer_gui)
# The Viewer finds Data/ beside itself: <build>/viewer/Viewer with
# <build>/viewer/Data/.
set_target_properties(Viewer PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})

# GUI tests drive the real windows under the offscreen platform. The
# environment goes in front of the test program both when CTest lists its
# tests and when it runs them.
find_package(Qt6 REQUIRED COMPONENTS Test)
target_link_libraries(test_gui PRIVATE viewer_gui Qt6::Test)
set_property(TARGET test_gui PROPERTY CROSSCOMPILING_EMULATOR
             /usr/bin/env QT_QPA_PLATFORM=offscreen QTWEBENGINE_DISABLE_SANDBOX=1)

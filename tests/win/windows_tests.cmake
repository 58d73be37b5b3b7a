# The Windows test program, cross-compiled with the Windows build and run under Wine by the
# Linux tests (tests/win/wine). GoogleTest is built here from Debian's sources.
set(KK_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest's sources")
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
add_subdirectory(${KK_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
foreach(t gtest gtest_main)
  target_compile_options(${t} PRIVATE -Wno-error)
endforeach()

# The suites of the Linux build that need no Linux facility run here unchanged (the GL ones on
# the hidden WGL context), beside the checks of the Windows backend itself.
set(kk_win_test_sources
  ${CMAKE_CURRENT_SOURCE_DIR}/timing/demo_clock_test.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/timing/beat_timing_test.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/timing/sound_position_test.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/app/main_loop_test.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/app/frame_pacer_test.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/assets/bitmap_font_test.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/assets/jpeg_decoding_test.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/assets/textures_test.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/fx/quads_test.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/fx/feedback_blur_test.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/show/messages_test.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/show/sprites_test.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/show/stars_test.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/support/gl_fixture.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/platform/contract_test.cpp)
file(GLOB kk_win_own_tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/win/unit/*.cpp)
add_executable(win_unit_tests ${kk_win_test_sources} ${kk_win_own_tests})
target_include_directories(win_unit_tests PRIVATE ${CMAKE_SOURCE_DIR})
# Run from the build folder, which holds data/.
target_compile_definitions(win_unit_tests PRIVATE KK_DEFAULT_BINARY_DIR=".")
target_link_libraries(win_unit_tests PRIVATE kk_app kk_media_files gtest_main gtest)
add_dependencies(win_unit_tests show_data)

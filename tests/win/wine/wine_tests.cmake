# The Windows programs (a MinGW build in KK_WINDOWS_BUILD_DIR, made by scripts/build-windows)
# run under Wine on private X servers, driven from here as a viewer would drive them. The tests
# share one Wine prefix and judge real time, so they run one at a time, as the other real-time
# tests do.
set(KK_WINDOWS_BUILD_DIR "${CMAKE_SOURCE_DIR}/build/windows/build" CACHE PATH "the Windows build to test")
find_program(KK_WINE64 wine64 PATHS /usr/lib/wine NO_DEFAULT_PATH)
if(NOT KK_WINE64)
  message(STATUS "Wine not found: the Windows programs are not tested")
  return()
endif()

file(GLOB wine_srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/*.cpp)
if(NOT wine_srcs)
  return()
endif()
add_executable(wine_tests ${wine_srcs})
target_link_libraries(wine_tests PRIVATE kk_test_support kk_platform ${X11_LIBRARY} ${XFIXES_LIBRARY}
  GTest::gtest_main)
target_compile_definitions(wine_tests PRIVATE KK_WINE64="${KK_WINE64}"
  KK_DEFAULT_WINDOWS_BUILD_DIR="${KK_WINDOWS_BUILD_DIR}" KK_PROJECT_VERSION="${PROJECT_VERSION}")
add_dependencies(wine_tests show_data kaikuranta-render)
gtest_discover_tests(wine_tests
  WORKING_DIRECTORY ${CMAKE_BINARY_DIR}
  PROPERTIES ENVIRONMENT "${KK_TEST_ENV}"
  DISCOVERY_TIMEOUT 60)
kk_test_properties(wine_tests ${CMAKE_CURRENT_LIST_DIR})

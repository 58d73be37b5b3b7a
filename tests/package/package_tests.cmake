# The install layout and the Linux package (scripts/package-linux), each checked by a script.
find_program(KK_DESKTOP_FILE_VALIDATE desktop-file-validate REQUIRED)
find_program(KK_APPSTREAMCLI appstreamcli REQUIRED)
add_test(NAME InstalledTree
  COMMAND ${CMAKE_CURRENT_LIST_DIR}/installed_tree_test.sh ${CMAKE_BINARY_DIR})
set_tests_properties(InstalledTree PROPERTIES ENVIRONMENT "${KK_TEST_ENV}" TIMEOUT 120)

# The package played on a clean Debian 12 root (built once by scripts/clean-root, a few minutes,
# and cached outside the clone); it judges a screenshot after a few seconds of play, alone with
# the other real-time tests.
# Named after the version of each configure, so a new version is never tested on an old package.
set(KK_LINUX_PACKAGE "${CMAKE_SOURCE_DIR}/build/linux/kaikuranta-${PROJECT_VERSION}-linux-x86_64.tar.gz")
add_test(NAME LinuxPackageOnCleanRoot
  COMMAND ${CMAKE_CURRENT_LIST_DIR}/clean_root_test.sh ${KK_LINUX_PACKAGE} ${CMAKE_BINARY_DIR})
set_tests_properties(LinuxPackageOnCleanRoot PROPERTIES ENVIRONMENT "${KK_TEST_ENV}"
  LABELS "slow;package" RESOURCE_LOCK realtime TIMEOUT 1800)

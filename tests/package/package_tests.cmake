# The install layout and the Linux package (scripts/package-linux), each checked by a script.
find_program(KK_DESKTOP_FILE_VALIDATE desktop-file-validate REQUIRED)
find_program(KK_APPSTREAMCLI appstreamcli REQUIRED)
add_test(NAME InstalledTree
  COMMAND ${CMAKE_CURRENT_LIST_DIR}/installed_tree_test.sh ${CMAKE_BINARY_DIR})
set_tests_properties(InstalledTree PROPERTIES ENVIRONMENT "${KK_TEST_ENV}")


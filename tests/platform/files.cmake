# File, settings-file and data-folder operations of the platform layer: an
# executable of its own, so that these tests need no display or sockets.
set(PLATFORM_FILES_TEST_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/ProfileFileTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FilesTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FilesStreamTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DataFolderTest.cpp)

# The folder's main test executable globs every source here; these run in
# their own executable only.
if(TARGET platform_tests)
  get_target_property(PLATFORM_TESTS_SOURCES platform_tests SOURCES)
  list(REMOVE_ITEM PLATFORM_TESTS_SOURCES ${PLATFORM_FILES_TEST_SOURCES})
  set_property(TARGET platform_tests PROPERTY SOURCES ${PLATFORM_TESTS_SOURCES})
endif()

add_executable(platform_files_tests ${PLATFORM_FILES_TEST_SOURCES})
target_link_libraries(platform_files_tests PRIVATE platform_core test_support GTest::gtest_main)
gtest_discover_tests(platform_files_tests DISCOVERY_TIMEOUT 60)

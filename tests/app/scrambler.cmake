# The stored-password rules need only their own source and the settings file
# of the platform layer, not the window.
add_executable(app_scrambler_tests
  ${CMAKE_CURRENT_LIST_DIR}/PasswordScramblerTest.cpp
  ${PROJECT_SOURCE_DIR}/app/PasswordScrambler.cpp)
target_include_directories(app_scrambler_tests PRIVATE ${PROJECT_SOURCE_DIR})
target_link_libraries(app_scrambler_tests PRIVATE platform_core test_support GTest::gtest_main)
gtest_discover_tests(app_scrambler_tests DISCOVERY_TIMEOUT 60)

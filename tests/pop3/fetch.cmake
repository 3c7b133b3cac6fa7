# pop3_fetch_tests: message retrieval and MIME extraction (FetchMessage),
# with messages that Python's email package writes at test time, served by
# the private Dovecot instance, and scripted servers for the faults Dovecot
# does not produce. Included from this folder's CMakeLists.txt.
file(GLOB POP3_FETCH_TEST_SOURCES CONFIGURE_DEPENDS
  ${CMAKE_CURRENT_SOURCE_DIR}/Fetch*.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/Mime*Test.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/Attachment*Test.cpp)

# pop3_tests takes every *.cpp of this folder; these belong to this program.
get_target_property(_pop3_test_sources pop3_tests SOURCES)
list(REMOVE_ITEM _pop3_test_sources ${POP3_FETCH_TEST_SOURCES})
set_property(TARGET pop3_tests PROPERTY SOURCES ${_pop3_test_sources})

add_executable(pop3_fetch_tests ${POP3_FETCH_TEST_SOURCES})
target_link_libraries(pop3_fetch_tests PRIVATE pop3 test_support GTest::gtest Qt6::Core)
target_compile_definitions(pop3_fetch_tests PRIVATE
  FETCH_MESSAGE_SCRIPT="${CMAKE_CURRENT_SOURCE_DIR}/make_fetch_messages.py")
gtest_discover_tests(pop3_fetch_tests
  DISCOVERY_TIMEOUT 60
  PROPERTIES TIMEOUT 120 ENVIRONMENT QT_QPA_PLATFORM=offscreen)

# The corpus check: real messages extracted by the client's own code
# (mime_corpus_extract) and compared with what Python's email package finds
# in them (mime_corpus_check.py, which runs both).
add_executable(mime_corpus_extract ${CMAKE_CURRENT_SOURCE_DIR}/corpus/mime_corpus_extract.cpp)
target_link_libraries(mime_corpus_extract PRIVATE pop3)
add_test(NAME mime_corpus_check
  COMMAND python3 ${CMAKE_CURRENT_SOURCE_DIR}/corpus/mime_corpus_check.py
    --extract $<TARGET_FILE:mime_corpus_extract> --corpus ${CMAKE_CURRENT_SOURCE_DIR}/mime-corpus)
set_tests_properties(mime_corpus_check PROPERTIES TIMEOUT 300)

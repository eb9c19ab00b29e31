# The real server, started headless on a free loopback port, played by two
# protocol-level clients.
if(TARGET kringelbahn-server)
  add_executable(test_server_process ${CMAKE_CURRENT_SOURCE_DIR}/server/process/walk_through_test.cpp)
  target_link_libraries(test_server_process PRIVATE kb_net kb_test_support GTest::gtest)
  add_dependencies(test_server_process kringelbahn-server)
  add_test(NAME server_process_walk_through
           COMMAND test_server_process $<TARGET_FILE:kringelbahn-server>)
  set_tests_properties(server_process_walk_through PROPERTIES
    TIMEOUT 120 ENVIRONMENT "${KB_TEST_ENVIRONMENT}")
endif()

# libFuzzer over the receive path and the game's message handling (clang).
if(KB_BUILD_FUZZ AND CMAKE_CXX_COMPILER_ID MATCHES "Clang")
  target_compile_options(kb_net PRIVATE -fsanitize=fuzzer-no-link,address,undefined)
  target_compile_options(kb_server PRIVATE -fsanitize=fuzzer-no-link,address,undefined)
  add_executable(fuzz_server_receive ${CMAKE_CURRENT_SOURCE_DIR}/server/fuzz/receive_fuzzer.cpp)
  target_compile_options(fuzz_server_receive PRIVATE -fsanitize=fuzzer,address,undefined)
  target_link_options(fuzz_server_receive PRIVATE -fsanitize=fuzzer,address,undefined)
  target_link_libraries(fuzz_server_receive PRIVATE kb_server)
endif()

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


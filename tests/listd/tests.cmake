# The list service and two real headless servers registering with it.
if(TARGET kringelbahn-listd AND TARGET kringelbahn-server)
  add_executable(test_listd_process ${CMAKE_CURRENT_SOURCE_DIR}/listd/process/end_to_end_test.cpp)
  target_link_libraries(test_listd_process PRIVATE kb_client kb_net kb_test_support GTest::gtest)
  add_dependencies(test_listd_process kringelbahn-listd kringelbahn-server)
  add_test(NAME listd_process_end_to_end
           COMMAND test_listd_process $<TARGET_FILE:kringelbahn-listd> $<TARGET_FILE:kringelbahn-server>)
  set_tests_properties(listd_process_end_to_end PROPERTIES TIMEOUT 120 ENVIRONMENT "${KB_TEST_ENVIRONMENT}")
endif()

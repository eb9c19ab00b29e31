# The list service and two real headless servers registering with it.
if(TARGET kringelbahn-listd AND TARGET kringelbahn-server)
  kb_add_process_test(listd_process_end_to_end test_listd_process
    SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/listd/process/end_to_end_test.cpp
    LIBS kb_net PROGRAMS kringelbahn-listd kringelbahn-server)
endif()

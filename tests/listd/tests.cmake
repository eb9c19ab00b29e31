# The list service and real headless servers registering with it, joined by its relay.
if(TARGET kringelbahn-listd AND TARGET kringelbahn-server)
  kb_add_process_test(listd_process_end_to_end test_listd_process
    SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/listd/process/end_to_end_test.cpp
            ${CMAKE_CURRENT_SOURCE_DIR}/server/fake_gateway.cpp
    LIBS kb_server PROGRAMS kringelbahn-listd kringelbahn-server)
endif()

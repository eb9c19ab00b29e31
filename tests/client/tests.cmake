# Process tests of the real client, run headless. Closing it from outside
# needs a signal, which wine cannot deliver to a Windows program.
set(KB_CLIENT_SCENARIOS close exit nodisplay)
if(CMAKE_CROSSCOMPILING)
  set(KB_CLIENT_SCENARIOS exit)
endif()
if(TARGET kringelbahn)
  foreach(scenario ${KB_CLIENT_SCENARIOS})
    add_test(NAME client_process_${scenario}
             COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/client/spine_start_and_quit.sh
                     $<TARGET_FILE:kringelbahn> ${scenario})
    set_tests_properties(client_process_${scenario} PROPERTIES TIMEOUT 60
                         ENVIRONMENT "${KB_TEST_ENVIRONMENT}")
  endforeach()
  add_test(NAME client_console_script_end_to_end
           COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/client/console_end_to_end.sh $<TARGET_FILE:kringelbahn>)
  set_tests_properties(client_console_script_end_to_end PROPERTIES TIMEOUT 90
                       ENVIRONMENT "${KB_TEST_ENVIRONMENT}")
endif()
if(TARGET kringelbahn AND TARGET kringelbahn-server)
  add_test(NAME client_net_end_to_end
           COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/client/net_end_to_end.sh $<TARGET_FILE:kringelbahn>
                   $<TARGET_FILE:kringelbahn-server>)
  set_tests_properties(client_net_end_to_end PROPERTIES TIMEOUT 90 ENVIRONMENT "${KB_TEST_ENVIRONMENT}")
endif()
# The LAN search over real UDP, against the real server started headless.
if(TARGET kringelbahn-server)
  kb_add_process_test(client_process_net_with_real_server test_client_process
    SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/client/process/net_server_test.cpp
            ${CMAKE_CURRENT_SOURCE_DIR}/test_environment.cpp
    LIBS kb_client PROGRAMS kringelbahn-server)
  # The same search over IPv6 link multicast needs a link of its own.
  if(NOT WIN32)
    add_test(NAME client_lan_ipv6_namespace
             COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/client/lan_ipv6_namespace.sh $<TARGET_FILE:test_client_process>
                     $<TARGET_FILE:kringelbahn-server>)
    set_tests_properties(client_lan_ipv6_namespace PROPERTIES TIMEOUT 120 SKIP_RETURN_CODE 77
                         ENVIRONMENT "${KB_TEST_ENVIRONMENT}")
  endif()
endif()
add_test(NAME client_layers COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/client/layers.sh ${CMAKE_SOURCE_DIR})

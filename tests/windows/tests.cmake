# The Windows build under wine on a virtual display of its own: the client as a
# player sees it, against the Linux client (KB_NATIVE_CLIENT), the server
# window, and the server behind a NAT-PMP router. One at a time: all the
# programs of one wine prefix share one foreground window, whichever display
# they are on.
set(KB_NATIVE_CLIENT "" CACHE FILEPATH "The Linux client, to compare the Windows client's menu with")
if(TARGET kringelbahn AND TARGET kringelbahn-server)
  add_test(NAME windows_client_smoke
           COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/windows/client_smoke.sh $<TARGET_FILE:kringelbahn>
                   $<TARGET_FILE:kringelbahn-server> "${KB_NATIVE_CLIENT}")
  add_test(NAME windows_server_window
           COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/windows/server_window.sh $<TARGET_FILE:kringelbahn-server>)
  add_test(NAME windows_server_port_mapping
           COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/windows/server_port_mapping.sh $<TARGET_FILE:kringelbahn-server>)
  set_tests_properties(windows_client_smoke windows_server_window windows_server_port_mapping PROPERTIES
                       SKIP_RETURN_CODE 77 RUN_SERIAL ON TIMEOUT 180 ENVIRONMENT "${KB_TEST_ENVIRONMENT}")
endif()

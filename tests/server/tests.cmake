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


# The server with its window on a virtual display, read through the
# accessibility tree; skips itself without Xvfb and xdotool.
pkg_check_modules(ATSPI IMPORTED_TARGET atspi-2)
pkg_check_modules(X11 IMPORTED_TARGET x11 gobject-2.0)
if(TARGET kringelbahn-server AND ATSPI_FOUND AND X11_FOUND)
  add_executable(test_server_window ${CMAKE_CURRENT_SOURCE_DIR}/server/process/window_test.cpp
                                  ${CMAKE_CURRENT_SOURCE_DIR}/server/process/close_request.cpp)
  target_link_libraries(test_server_window PRIVATE kb_net kb_test_support GTest::gtest PkgConfig::ATSPI PkgConfig::X11)
  add_dependencies(test_server_window kringelbahn-server)
  add_test(NAME server_window COMMAND test_server_window $<TARGET_FILE:kringelbahn-server>)
  set_tests_properties(server_window PROPERTIES TIMEOUT 180 ENVIRONMENT
    "${KB_TEST_ENVIRONMENT};TSAN_OPTIONS=halt_on_error=1 second_deadlock_stack=1 suppressions=${CMAKE_CURRENT_SOURCE_DIR}/tsan.supp")
endif()

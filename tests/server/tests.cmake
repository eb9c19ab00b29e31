# The real server, started headless on a free loopback port, played by two
# protocol-level clients.
if(TARGET kringelbahn-server)
  kb_add_process_test(server_process_walk_through test_server_process
    SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/server/process/walk_through_test.cpp
    LIBS kb_server PROGRAMS kringelbahn-server)
endif()

# The server with its window on a virtual display, read through the
# accessibility tree; skips itself without Xvfb and xdotool. The GTK window
# is not the Windows one.
pkg_check_modules(ATSPI IMPORTED_TARGET atspi-2)
pkg_check_modules(X11 IMPORTED_TARGET x11 gobject-2.0)
if(TARGET kringelbahn-server AND ATSPI_FOUND AND X11_FOUND AND NOT WIN32)
  kb_add_process_test(server_window test_server_window
    SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/server/process/window_test.cpp
            ${CMAKE_CURRENT_SOURCE_DIR}/server/process/close_request.cpp
    LIBS kb_server PkgConfig::ATSPI PkgConfig::X11 PROGRAMS kringelbahn-server TIMEOUT 180
    ENVIRONMENT "TSAN_OPTIONS=halt_on_error=1 second_deadlock_stack=1 suppressions=${CMAKE_CURRENT_SOURCE_DIR}/tsan.supp")
endif()

# Peers of many IPv6 addresses, and the router found by an SSDP search that
# stays inside, in a network namespace of the test's own; skips itself where
# namespaces are not allowed.
if(NOT WIN32)
  add_test(NAME server_namespace
           COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/server/namespace.sh $<TARGET_FILE:test_server>
                   "HostilePeers.DISABLED_Ipv6*:PortMapper.DISABLED_*")
  set_tests_properties(server_namespace PROPERTIES TIMEOUT 120 SKIP_RETURN_CODE 77
                       ENVIRONMENT "${KB_TEST_ENVIRONMENT}")
endif()

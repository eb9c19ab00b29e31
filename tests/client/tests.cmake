# Process tests of the real client, run headless.
if(TARGET kringelbahn)
  foreach(scenario close fullscreen exit)
    add_test(NAME client_process_${scenario}
             COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/client/spine_start_and_quit.sh
                     $<TARGET_FILE:kringelbahn> ${scenario})
    set_tests_properties(client_process_${scenario} PROPERTIES TIMEOUT 60
                         ENVIRONMENT "${KB_TEST_ENVIRONMENT}")
  endforeach()
endif()

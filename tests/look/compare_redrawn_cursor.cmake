execute_process(COMMAND ${PYTHON} ${SCRIPT} ${REDRAWN} RESULT_VARIABLE drawn)
if(NOT drawn EQUAL 0)
    message(FATAL_ERROR "make_hand_cursor.py failed")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${REDRAWN} ${COMMITTED}
                RESULT_VARIABLE different)
if(NOT different EQUAL 0)
    message(FATAL_ERROR "HAND-M.CUR differs from what make_hand_cursor.py draws; run the script")
endif()

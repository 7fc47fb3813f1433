# Runs one command and checks its exit status and what it printed (standard output and error
# together):
#   cmake -DCOMMAND="prog;arg;..." -DEXPECT_STATUS=0 -DEXPECT_OUTPUT=regex [-DREFUSE_OUTPUT=regex]
#         -P check_command.cmake
execute_process(COMMAND ${COMMAND} RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
set(all "${out}${err}")
if(NOT "${status}" STREQUAL "${EXPECT_STATUS}")
  message(FATAL_ERROR "${COMMAND}: exit status ${status}, expected ${EXPECT_STATUS}\n${all}")
endif()
if(NOT all MATCHES "${EXPECT_OUTPUT}")
  message(FATAL_ERROR "${COMMAND}: output does not match '${EXPECT_OUTPUT}':\n${all}")
endif()
if(DEFINED REFUSE_OUTPUT AND all MATCHES "${REFUSE_OUTPUT}")
  message(FATAL_ERROR "${COMMAND}: output matches '${REFUSE_OUTPUT}':\n${all}")
endif()

# Configures the case project with the given CASE_* settings and checks the outcome:
#   cmake -DNAME=<case> -DWORK=<dir> [-DEXPECT_ERROR=<text>] [-DEXPECT_OPTIONS=<text>]
#         [-DSETTINGS=<-D... list joined by ;>] -P run_case.cmake
# EXPECT_ERROR: the configure step must fail and print this text. EXPECT_OPTIONS: it must succeed
# and write exactly this subcommand file.
file(REMOVE_RECURSE "${WORK}/${NAME}")
execute_process(
  COMMAND "${CMAKE_COMMAND}" -S "${CMAKE_CURRENT_LIST_DIR}/case" -B "${WORK}/${NAME}"
          ${SETTINGS}
  RESULT_VARIABLE status
  OUTPUT_VARIABLE output
  ERROR_VARIABLE output)
# CMake wraps long messages; join the lines to compare the text as written.
string(REGEX REPLACE "\n *" " " flat "${output}")
if(DEFINED EXPECT_ERROR)
  string(FIND "${flat}" "${EXPECT_ERROR}" at)
  if(status EQUAL 0 OR at EQUAL -1)
    message(FATAL_ERROR "expected a failure with:\n  ${EXPECT_ERROR}\ngot status ${status}:\n"
                        "${output}")
  endif()
else()
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "configure failed:\n${output}")
  endif()
  file(GLOB options_files "${WORK}/${NAME}/sumwright/*.options")
  list(LENGTH options_files count)
  if(NOT count EQUAL 1)
    message(FATAL_ERROR "expected one subcommand file, found: ${options_files}")
  endif()
  file(READ "${options_files}" options)
  if(NOT options STREQUAL EXPECT_OPTIONS)
    message(FATAL_ERROR "subcommand file\n${options}\ndiffers from the expected\n"
                        "${EXPECT_OPTIONS}")
  endif()
endif()

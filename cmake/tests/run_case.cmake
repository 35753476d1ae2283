# Configures the case project with the given CASE_* settings and checks the outcome:
#   cmake -DNAME=<case> -DWORK=<dir> [-DEXPECT_ERROR=<text>] [-DEXPECT_OPTIONS=<text>]
#         [-DSETTINGS=<-D... list joined by ;>] -P run_case.cmake
# EXPECT_ERROR: the configure step must fail and print this text. EXPECT_OPTIONS: it must succeed
# and write the step's settings: the input, -crc, -output and -endian, one a line.
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
  # The step's settings, as the options sumwright gets: INPUT and OUTPUT from the build folder.
  file(GLOB settings_files "${WORK}/${NAME}/sumwright/*/settings.cmake")
  list(LENGTH settings_files count)
  if(NOT count EQUAL 1)
    message(FATAL_ERROR "expected one settings file, found: ${settings_files}")
  endif()
  include("${settings_files}")
  file(RELATIVE_PATH input "${WORK}/${NAME}" "${SUMWRIGHT_INPUT}")
  file(RELATIVE_PATH output "${WORK}/${NAME}" "${SUMWRIGHT_OUTPUT}")
  set(options "${input}\n-crc=${SUMWRIGHT_CRC}\n-output=${output}\n")
  if(SUMWRIGHT_ENDIAN)
    string(APPEND options "-endian=${SUMWRIGHT_ENDIAN}\n")
  endif()
  if(NOT options STREQUAL EXPECT_OPTIONS)
    message(FATAL_ERROR "the step's options\n${options}\ndiffer from the expected\n"
                        "${EXPECT_OPTIONS}")
  endif()
endif()

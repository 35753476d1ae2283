# SPDX-License-Identifier: MIT
# The step that sumwright_add_crc adds: runs sumwright on INPUT and puts its output at OUTPUT.
#   cmake -DSETTINGS=<the step's settings file> -P SumwrightRun.cmake
# The settings file (written by sumwright_add_crc) sets SUMWRIGHT_PROGRAM, _INPUT, _OUTPUT, _CRC,
# _ENDIAN, _WORK (the step's own folder), _INPUT_COPY and _ANNOUNCE.
#
# sumwright runs in the step's folder and writes its output there under OUTPUT's file name (which
# an S-record image's S0 header carries); the finished file is then renamed to OUTPUT, so a failed
# run leaves an earlier OUTPUT as it was. sumwright recognises its options by a "-" anywhere in an
# argument, so INPUT is named by its full path, or else by its path from the step's folder, or
# when both hold a "-" through a copy in that folder, removed after the run. On success nothing is
# printed but, when _ANNOUNCE is set, the line that names OUTPUT; on failure, sumwright's own
# lines and, when it refused the input without a message of its own, the cause found in the input.
include("${SETTINGS}")
include("${CMAKE_CURRENT_LIST_DIR}/SumwrightReasons.cmake")

if(SUMWRIGHT_ANNOUNCE)
  execute_process(COMMAND "${CMAKE_COMMAND}" -E echo "Adding the CRC to ${SUMWRIGHT_OUTPUT}")
endif()
file(MAKE_DIRECTORY "${SUMWRIGHT_WORK}")
get_filename_component(name "${SUMWRIGHT_OUTPUT}" NAME)
get_filename_component(output_dir "${SUMWRIGHT_OUTPUT}" DIRECTORY)
file(MAKE_DIRECTORY "${output_dir}")
set(scratch "${SUMWRIGHT_WORK}/${name}")
file(REMOVE "${scratch}")

set(input "${SUMWRIGHT_INPUT}")
if(input MATCHES "-")
  file(RELATIVE_PATH input "${SUMWRIGHT_WORK}" "${SUMWRIGHT_INPUT}")
endif()
if(input MATCHES "-")
  if(NOT EXISTS "${SUMWRIGHT_INPUT}")
    message(FATAL_ERROR "sumwright_add_crc: no input file ${SUMWRIGHT_INPUT}")
  endif()
  file(COPY_FILE "${SUMWRIGHT_INPUT}" "${SUMWRIGHT_INPUT_COPY}")
  get_filename_component(input "${SUMWRIGHT_INPUT_COPY}" NAME)
endif()

set(options "-crc=${SUMWRIGHT_CRC}" "-output=${name}")
if(SUMWRIGHT_ENDIAN)
  list(APPEND options "-endian=${SUMWRIGHT_ENDIAN}")
endif()
execute_process(COMMAND "${SUMWRIGHT_PROGRAM}" "${input}" ${options}
                WORKING_DIRECTORY "${SUMWRIGHT_WORK}"
                RESULT_VARIABLE status
                OUTPUT_VARIABLE printed
                ERROR_VARIABLE printed)
file(REMOVE "${SUMWRIGHT_INPUT_COPY}")

if(NOT status EQUAL 0 OR NOT EXISTS "${scratch}")
  string(JOIN " " command "${SUMWRIGHT_PROGRAM}" "${input}" ${options})
  # Each line of a message starts with a blank, which keeps CMake from breaking it between words.
  string(STRIP "${printed}" printed)
  string(REPLACE "\n" "\n " printed "${printed}")
  set(reason "")
  if(printed MATCHES "Sumwright Abort" AND NOT printed MATCHES "\\*\\* ")
    sumwright_silent_refusal(reason "${SUMWRIGHT_INPUT}")
  endif()
  message(FATAL_ERROR " sumwright_add_crc: ${SUMWRIGHT_OUTPUT} was not written: sumwright "
                      "failed (status ${status}) on ${SUMWRIGHT_INPUT}\n ${command}\n"
                      " ${printed}${reason}")
endif()

file(RENAME "${scratch}" "${SUMWRIGHT_OUTPUT}" RESULT renamed)
if(NOT renamed EQUAL 0)
  # OUTPUT on another file system: a copy beside it, renamed over it once it is complete.
  set(part "${SUMWRIGHT_OUTPUT}.sumwright-part")
  file(COPY_FILE "${scratch}" "${part}" RESULT copied)
  if(copied EQUAL 0)
    file(RENAME "${part}" "${SUMWRIGHT_OUTPUT}" RESULT renamed)
  endif()
  file(REMOVE "${scratch}" "${part}")
  if(NOT renamed EQUAL 0)
    message(FATAL_ERROR " sumwright_add_crc: cannot write ${SUMWRIGHT_OUTPUT}: ${renamed}")
  endif()
endif()

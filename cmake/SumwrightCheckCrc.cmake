# The test that sumwright_check_crc adds: passes when IMAGE already holds the CRC that sumwright
# writes with the options given, fails naming IMAGE otherwise.
#   cmake -DPROGRAM=<sumwright> -DIMAGE=<image> -DWORK=<this test's folder> -DCRC=<-crc parameter>
#         [-DENDIAN=big|little] -P SumwrightCheckCrc.cmake
# sumwright reads a copy of IMAGE named without a "-" (which it would take for an option), and
# writes its output under IMAGE's file name, which an S-record image's S0 header carries. The CRC
# bytes lie outside every range, so the output is IMAGE byte for byte exactly when IMAGE held the
# right CRC.
if(NOT EXISTS "${IMAGE}" OR IS_DIRECTORY "${IMAGE}")
  message(FATAL_ERROR " sumwright_check_crc: no image file ${IMAGE}")
endif()
get_filename_component(name "${IMAGE}" NAME)
set(output "${WORK}/out/${name}")
# A failed run writes no output, but an earlier run's would still be there.
file(REMOVE "${output}")
file(MAKE_DIRECTORY "${WORK}/in" "${WORK}/out")
file(COPY_FILE "${IMAGE}" "${WORK}/in/image")

set(options "-crc=${CRC}")
if(ENDIAN)
  list(APPEND options "-endian=${ENDIAN}")
endif()
execute_process(COMMAND "${PROGRAM}" ../in/image ${options} "-output=${name}"
                WORKING_DIRECTORY "${WORK}/out"
                RESULT_VARIABLE status
                OUTPUT_VARIABLE messages
                ERROR_VARIABLE messages)
# Each line of a message starts with a blank, which keeps CMake from breaking it between words.
string(JOIN " " options ${options})
if(NOT status EQUAL 0)
  string(REPLACE "\n" "\n " messages "${messages}")
  message(FATAL_ERROR " sumwright_check_crc: sumwright ${options} failed on ${IMAGE} "
                      "(status ${status}):\n ${messages}")
endif()

file(SHA256 "${IMAGE}" image_hash)
file(SHA256 "${output}" output_hash)
if(NOT image_hash STREQUAL output_hash)
  message(FATAL_ERROR " sumwright_check_crc: ${IMAGE} does not hold the CRC that sumwright "
                      "writes with ${options}\n sumwright's output: ${output}")
endif()

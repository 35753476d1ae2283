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
if(image_hash STREQUAL output_hash)
  return()
endif()

# What is wrong: the CRC bytes the image holds against those it should hold, or the record it
# lacks, or where it first differs from sumwright's output.
string(REGEX REPLACE "=.*" "" code "${CRC}")
math(EXPR code "0x${code}")
math(EXPR code_hex "${code}" OUTPUT_FORMAT HEXADECIMAL)
string(TOUPPER "${code_hex}" code_hex)
string(REPLACE "0X" "0x" code_hex "${code_hex}")
file(READ "${IMAGE}" image_text)
file(READ "${output}" output_text)

# The length of the text the two files begin with, by halving.
string(LENGTH "${image_text}" low)
string(LENGTH "${output_text}" high)
if(high LESS low)
  set(low ${high})
endif()
set(high ${low})
set(low 0)
while(low LESS high)
  math(EXPR middle "(${low} + ${high} + 1) / 2")
  string(SUBSTRING "${image_text}" 0 ${middle} a)
  string(SUBSTRING "${output_text}" 0 ${middle} b)
  if(a STREQUAL b)
    set(low ${middle})
  else()
    math(EXPR high "${middle} - 1")
  endif()
endwhile()
string(SUBSTRING "${image_text}" 0 ${low} common)
string(FIND "${common}" "\n" line_start REVERSE)
math(EXPR line_start "${line_start} + 1")
string(SUBSTRING "${common}" 0 ${line_start} before)
string(REGEX REPLACE "[^\n]+" "" newlines "${before}")
string(LENGTH "${newlines}" line_number)
math(EXPR line_number "${line_number} + 1")

# _check_code_bytes(<text> <out>): sets <out> to the code field's two bytes ("XX YY", "--" for a
# byte no record holds) in the line where the files differ and the lines either side of it.
function(_check_code_bytes text out_var)
  string(SUBSTRING "${text}" 0 ${line_start} head)
  # The Intel HEX extended address in effect: the last 02 or 04 record before the line.
  set(base 0)
  string(FIND "${head}" ":02000004" linear REVERSE)
  string(FIND "${head}" ":02000002" segment REVERSE)
  if(linear GREATER segment)
    math(EXPR at "${linear} + 9")
    string(SUBSTRING "${head}" ${at} 4 value)
    math(EXPR base "0x${value} << 16")
  elseif(segment GREATER -1)
    math(EXPR at "${segment} + 9")
    string(SUBSTRING "${head}" ${at} 4 value)
    math(EXPR base "0x${value} << 4")
  endif()
  # The previous line, this one and the next.
  string(FIND "${head}" "\n" previous REVERSE)
  if(previous GREATER 0)
    string(SUBSTRING "${head}" 0 ${previous} earlier)
    string(FIND "${earlier}" "\n" previous REVERSE)
  endif()
  math(EXPR previous "${previous} + 1")
  string(SUBSTRING "${text}" ${previous} -1 rest)
  string(REGEX MATCH "^[^\n]*\n?[^\n]*\n?[^\n]*" lines "${rest}")
  string(REGEX REPLACE "\r?\n" ";" lines "${lines}")
  set(bytes -- --)
  foreach(record IN LISTS lines)
    string(STRIP "${record}" record)
    set(data "")
    if(record MATCHES "^:(..)(....)00(.*)$")
      math(EXPR start "${base} + 0x${CMAKE_MATCH_2}")
      math(EXPR digits "0x${CMAKE_MATCH_1} * 2")
      string(SUBSTRING "${CMAKE_MATCH_3}" 0 ${digits} data)
    elseif(record MATCHES "^S([123])(..)(.*)$")
      math(EXPR width "(${CMAKE_MATCH_1} + 1) * 2")
      math(EXPR digits "(0x${CMAKE_MATCH_2} - 1) * 2 - ${width}")
      set(fields "${CMAKE_MATCH_3}")
      string(SUBSTRING "${fields}" 0 ${width} start)
      math(EXPR start "0x${start}")
      if(digits GREATER 0)
        string(SUBSTRING "${fields}" ${width} ${digits} data)
      endif()
    endif()
    if(data STREQUAL "")
      continue()
    endif()
    string(LENGTH "${data}" length)
    foreach(index 0 1)
      math(EXPR offset "(${code} + ${index} - ${start}) * 2")
      if(offset GREATER -1 AND offset LESS length)
        string(SUBSTRING "${data}" ${offset} 2 byte)
        string(TOUPPER "${byte}" byte)
        list(REMOVE_AT bytes ${index})
        list(INSERT bytes ${index} ${byte})
      endif()
    endforeach()
  endforeach()
  list(JOIN bytes " " bytes)
  set(${out_var} "${bytes}" PARENT_SCOPE)
endfunction()
_check_code_bytes("${image_text}" held)
_check_code_bytes("${output_text}" wanted)

get_filename_component(image_name "${IMAGE}" NAME)
if(wanted STREQUAL "-- --" OR wanted STREQUAL held)
  set(what "first differs from sumwright's output at line ${line_number}")
elseif(held STREQUAL "-- --")
  string(CONCAT what "no record holds ${code_hex}: the image lacks the CRC record that "
         "sumwright writes at its line ${line_number}")
else()
  set(what "at ${code_hex} the image holds ${held}, the CRC is ${wanted}")
endif()
message(FATAL_ERROR " sumwright_check_crc: ${image_name}: ${what}\n"
                    " ${IMAGE} does not hold the CRC that sumwright writes with ${options};"
                    " sumwright's output: ${output}")

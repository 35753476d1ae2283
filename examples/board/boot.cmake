# SPDX-License-Identifier: MIT
# Boots an image on QEMU's lm3s6965evb and checks what its boot check reports, for a CTest test:
#   cmake -DQEMU=<qemu-system-arm> -DOBJCOPY=<objcopy> -DIMAGE=<.hex or .s19> -DWORK=<folder>
#         -DFLASH_END=<address> -DCRC_ADDRESS=<address> -DENDIAN=big|little
#         -DEXPECT=start|refuse [-DCHANGE_ONE_BYTE=ON] -P boot.cmake
# The flash gets what a programmer leaves there: the image, with every address that it does not
# hold up to FLASH_END erased to 0xFF (QEMU's own flash would start as zeros). The image must
# start at address 0, where the board boots from. EXPECT=start: the firmware prints that the CRC
# matches the two bytes at CRC_ADDRESS (read in the byte order ENDIAN) and runs the application,
# and QEMU exits with status 0. EXPECT=refuse: the firmware prints a CRC other than those bytes
# and stops, and QEMU exits with status 1. CHANGE_ONE_BYTE=ON boots an Intel HEX image with one
# data byte changed: the first of the last data record before the first record of another type
# (the end of the program, which runs only after the check), its checksum corrected.
# QEMU runs for 60 s at most, so that a firmware that hangs fails the test.
cmake_minimum_required(VERSION 3.25)
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}")
get_filename_component(format "${IMAGE}" LAST_EXT)
if(format STREQUAL ".hex")
  set(format ihex)
else()
  set(format srec)
endif()

# `value` (0 to 255) as two upper-case hexadecimal digits.
function(hex_byte out value)
  math(EXPR value "${value} + 0x100" OUTPUT_FORMAT HEXADECIMAL)
  string(SUBSTRING "${value}" 3 2 value)
  string(TOUPPER "${value}" value)
  set(${out} "${value}" PARENT_SCOPE)
endfunction()

set(image "${IMAGE}")
if(CHANGE_ONE_BYTE)
  file(STRINGS "${IMAGE}" records NO_HEX_CONVERSION)
  list(TRANSFORM records REPLACE "\r$" "")  # written back with LF line ends
  set(last_data -1)
  foreach(record IN LISTS records)
    if(NOT record MATCHES "^:......00")
      break()
    endif()
    math(EXPR last_data "${last_data} + 1")
  endforeach()
  if(last_data EQUAL -1)
    message(FATAL_ERROR "boot.cmake: ${IMAGE} does not start with an Intel HEX data record")
  endif()
  # :LLAAAA00, the data, the checksum. Adding 1 to a byte takes 1 from the checksum, which keeps
  # the record's byte sum at zero.
  list(GET records ${last_data} record)
  string(REGEX MATCH "^(:........)(..)(.*)(..)$" record "${record}")
  hex_byte(byte "0x${CMAKE_MATCH_2} + 1")
  hex_byte(checksum "0x${CMAKE_MATCH_4} + 0xFF")
  list(REMOVE_AT records ${last_data})
  list(INSERT records ${last_data} "${CMAKE_MATCH_1}${byte}${CMAKE_MATCH_3}${checksum}")
  list(JOIN records "\n" text)
  set(image "${WORK}/changed.hex")
  file(WRITE "${image}" "${text}\n")
endif()

set(flash "${WORK}/flash.bin")
execute_process(COMMAND "${OBJCOPY}" -I ${format} -O binary --gap-fill 0xFF --pad-to ${FLASH_END}
                        "${image}" "${flash}"
                COMMAND_ERROR_IS_FATAL ANY)
math(EXPR crc_offset "${CRC_ADDRESS}")
file(READ "${flash}" stored OFFSET ${crc_offset} LIMIT 2 HEX)
string(TOUPPER "${stored}" stored)
if(ENDIAN STREQUAL "little")
  string(REGEX REPLACE "^(..)(..)$" "\\2\\1" stored "${stored}")
endif()

execute_process(COMMAND "${QEMU}" -M lm3s6965evb -display none -monitor none -serial none
                        -semihosting-config enable=on,target=native -kernel "${flash}"
                TIMEOUT 60
                RESULT_VARIABLE status
                OUTPUT_VARIABLE output
                ERROR_VARIABLE qemu_messages)
if(EXPECT STREQUAL "start")
  set(expected_status 0)
  string(CONCAT expected "boot: CRC ${stored}, stored ${stored}: starting the application\n"
                         "application: running\n")
  set(matches FALSE)
  if(output STREQUAL expected)
    set(matches TRUE)
  endif()
else()
  set(expected_status 1)
  set(expected "boot: CRC <not ${stored}>, stored ${stored}: image refused\n")
  set(matches FALSE)
  set(hex4 "[0-9A-F][0-9A-F][0-9A-F][0-9A-F]")
  if(output MATCHES "^boot: CRC (${hex4}), stored ${stored}: image refused\n$"
     AND NOT CMAKE_MATCH_1 STREQUAL stored)
    set(matches TRUE)
  endif()
endif()
if(NOT matches OR NOT status STREQUAL expected_status)
  message(FATAL_ERROR " ${image}: expected QEMU's status ${expected_status} and the output\n"
                      "${expected}got status ${status} and the output\n${output}"
                      "QEMU's messages:\n${qemu_messages}")
endif()

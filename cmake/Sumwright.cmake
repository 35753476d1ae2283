# Build integration: add a CRC to a firmware image as a post-build step of its target.
#
#   find_package(sumwright 1.0 REQUIRED)      # an installed sumwright: this file comes with it
#   # or, from a source tree: list(APPEND CMAKE_MODULE_PATH <sumwright source>/cmake)
#   #                         include(Sumwright)
#
#   sumwright_add_crc(TARGET    firmware
#                     INPUT     ${CMAKE_CURRENT_BINARY_DIR}/firmware.hex
#                     OUTPUT    ${CMAKE_CURRENT_BINARY_DIR}/firmware_crc.hex
#                     CRC       7FFE=0-7FFD
#                     [ENDIAN    big|little]
#                     [ALGORITHM CCITT|16])
#
# After TARGET is built (and after the post-build steps added before this call, such as the one
# that writes INPUT from the linked program), the step runs sumwright on INPUT and writes OUTPUT
# in the same form, Intel HEX or S-record. CRC is the -crc parameter: the code address, "=", the
# ranges. The options go to sumwright through a subcommand file, one option per line, written
# at configure time next to OUTPUT's build files. A failing run fails the build and leaves no
# OUTPUT behind (an earlier OUTPUT stays as it was).
#
# Relative INPUT and OUTPUT paths are taken from the current binary directory.
#
# sumwright recognises its options by a "-" and their leading letters anywhere in an argument,
# so an input path containing "-" would be taken for an option. The step therefore runs in
# OUTPUT's directory and names the input by its path relative to it; when that path contains a
# "-", the input is first copied into OUTPUT's directory under a name without one. OUTPUT's file
# name itself must not contain "-cr" or "-su" in any letter case.
#
# The program: SUMWRIGHT_EXECUTABLE, a path or the name of an executable target of the same build;
# when empty, the target sumwright::sumwright, which find_package(sumwright) imports; without it,
# sumwright on the PATH. Commands name a target's program by its path, so that no cross-compiling
# emulator is put in front of this host program.
#
# From a source tree, this file also makes the INTERFACE target sumwright::crc for the boot header
# in boot/, as the installed package imports it: `#include <sumwright_crc.h>` in a target that
# links it.

include_guard(GLOBAL)

set(SUMWRIGHT_EXECUTABLE "" CACHE STRING
    "sumwright program used by sumwright_add_crc: a path, or an executable target")

# From a source tree, the boot header in boot/ becomes sumwright::crc here, as the installed package
# imports it. Installed, the target exists already when the package's config file includes this.
if(NOT TARGET sumwright::crc AND EXISTS "${CMAKE_CURRENT_LIST_DIR}/../boot/sumwright_crc.h")
  get_filename_component(_sumwright_boot_dir "${CMAKE_CURRENT_LIST_DIR}/../boot" ABSOLUTE)
  add_library(sumwright::crc INTERFACE IMPORTED)
  set_target_properties(sumwright::crc PROPERTIES
    INTERFACE_INCLUDE_DIRECTORIES "${_sumwright_boot_dir}")
  unset(_sumwright_boot_dir)
endif()

# Finds the program once; sets `out_var` to a path or a generator expression and, for a target of
# this build, `depends_var` to the target name.
function(_sumwright_program out_var depends_var)
  set(${depends_var} "" PARENT_SCOPE)
  set(program "${SUMWRIGHT_EXECUTABLE}")
  if(NOT program AND TARGET sumwright::sumwright)
    set(program sumwright::sumwright)
  endif()
  if(program AND TARGET "${program}")
    set(${out_var} "$<TARGET_FILE:${program}>" PARENT_SCOPE)
    get_target_property(aliased "${program}" ALIASED_TARGET)
    if(aliased)
      set(program "${aliased}")
    endif()
    get_target_property(imported "${program}" IMPORTED)
    if(NOT imported)
      set(${depends_var} "${program}" PARENT_SCOPE)
    endif()
    return()
  endif()
  if(program)
    if(NOT EXISTS "${program}")
      message(FATAL_ERROR "sumwright_add_crc: SUMWRIGHT_EXECUTABLE names no file: ${program}")
    endif()
    set(${out_var} "${program}" PARENT_SCOPE)
    return()
  endif()
  find_program(SUMWRIGHT_FOUND_PROGRAM NAMES sumwright)
  if(NOT SUMWRIGHT_FOUND_PROGRAM)
    message(FATAL_ERROR "sumwright_add_crc: no sumwright program on the PATH; "
                        "set SUMWRIGHT_EXECUTABLE to its path")
  endif()
  set(${out_var} "${SUMWRIGHT_FOUND_PROGRAM}" PARENT_SCOPE)
endfunction()

function(sumwright_add_crc)
  cmake_parse_arguments(PARSE_ARGV 0 arg "" "TARGET;INPUT;OUTPUT;CRC;ENDIAN;ALGORITHM" "")
  if(arg_UNPARSED_ARGUMENTS)
    message(FATAL_ERROR "sumwright_add_crc: unknown arguments: ${arg_UNPARSED_ARGUMENTS}")
  endif()
  foreach(required IN ITEMS TARGET INPUT OUTPUT CRC)
    if(NOT arg_${required})
      message(FATAL_ERROR "sumwright_add_crc: ${required} is required")
    endif()
  endforeach()
  if(NOT TARGET "${arg_TARGET}")
    message(FATAL_ERROR "sumwright_add_crc: TARGET ${arg_TARGET} is not a target")
  endif()

  # The -crc parameter: code address "=" ranges, hexadecimal, and at most one algorithm.
  if(NOT arg_CRC MATCHES "^[0-9A-Fa-f]+=[0-9A-Fa-f,-]+(/(CCITT|16))?$")
    message(FATAL_ERROR "sumwright_add_crc: CRC must read <code address>=<start>-<end>"
                        "[,<start>-<end>...] in hexadecimal, got: ${arg_CRC}")
  endif()
  set(crc "${arg_CRC}")
  if(DEFINED arg_ALGORITHM)
    if(NOT arg_ALGORITHM MATCHES "^(CCITT|16)$")
      message(FATAL_ERROR "sumwright_add_crc: ALGORITHM must be CCITT or 16, got: "
                          "${arg_ALGORITHM}")
    endif()
    if(crc MATCHES "/")
      message(FATAL_ERROR "sumwright_add_crc: give the algorithm either in CRC or as ALGORITHM")
    endif()
    string(APPEND crc "/${arg_ALGORITHM}")
  endif()
  set(endian "")
  if(DEFINED arg_ENDIAN)
    string(TOLOWER "${arg_ENDIAN}" endian)
    if(NOT endian MATCHES "^(big|little)$")
      message(FATAL_ERROR "sumwright_add_crc: ENDIAN must be big or little, got: ${arg_ENDIAN}")
    endif()
  endif()

  get_filename_component(input "${arg_INPUT}" ABSOLUTE BASE_DIR "${CMAKE_CURRENT_BINARY_DIR}")
  get_filename_component(output "${arg_OUTPUT}" ABSOLUTE BASE_DIR "${CMAKE_CURRENT_BINARY_DIR}")
  get_filename_component(output_dir "${output}" DIRECTORY)
  get_filename_component(output_name "${output}" NAME)
  string(TOLOWER "${output_name}" output_lower)
  if(output_lower MATCHES "-cr|-su")
    message(FATAL_ERROR "sumwright_add_crc: the OUTPUT file name must not contain \"-cr\" or "
                        "\"-su\" (sumwright would take it for an option): ${output_name}")
  endif()
  if(input STREQUAL output)
    message(FATAL_ERROR "sumwright_add_crc: INPUT and OUTPUT are the same file: ${input}")
  endif()
  file(MAKE_DIRECTORY "${output_dir}")

  string(MAKE_C_IDENTIFIER "${arg_TARGET}_${output_name}" step_name)
  set(commands "")
  file(RELATIVE_PATH input_token "${output_dir}" "${input}")
  if(input_token MATCHES "-")
    get_filename_component(input_ext "${input}" LAST_EXT)
    string(MAKE_C_IDENTIFIER "${input_ext}" input_ext)
    string(REPLACE "_" "." input_ext "${input_ext}")
    set(input_token "sumwright_${step_name}_input${input_ext}")
    list(APPEND commands COMMAND "${CMAKE_COMMAND}" -E copy "${input}" "${input_token}")
  endif()

  # One option per line; written again only when it changes.
  set(options_file "${CMAKE_CURRENT_BINARY_DIR}/sumwright/${step_name}.options")
  set(options "${input_token}\n-crc=${crc}\n-output=${output_name}\n")
  if(endian)
    string(APPEND options "-endian=${endian}\n")
  endif()
  file(CONFIGURE OUTPUT "${options_file}" CONTENT "${options}" @ONLY NEWLINE_STYLE UNIX)

  _sumwright_program(program program_target)
  if(program_target)
    add_dependencies("${arg_TARGET}" "${program_target}")
  endif()
  add_custom_command(TARGET "${arg_TARGET}" POST_BUILD
    ${commands}
    COMMAND "${program}" "-subcommand=${options_file}"
    WORKING_DIRECTORY "${output_dir}"
    BYPRODUCTS "${output}"
    COMMENT "Adding the CRC to ${output_name}"
    VERBATIM)
endfunction()

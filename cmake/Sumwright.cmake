# Build integration: add a CRC to a firmware image as a post-build step of its target.
#
#   list(APPEND CMAKE_MODULE_PATH <sumwright source>/cmake)
#   include(Sumwright)
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
# The program: SUMWRIGHT_EXECUTABLE, a path or the name of an executable target of the same
# build; when empty, sumwright is looked up on the PATH.

include_guard(GLOBAL)

set(SUMWRIGHT_EXECUTABLE "" CACHE STRING
    "sumwright program used by sumwright_add_crc: a path, or an executable target")

# Finds the program once; sets `out_var` to a path or a generator expression and, for a target,
# `depends_var` to the target name.
function(_sumwright_program out_var depends_var)
  set(${depends_var} "" PARENT_SCOPE)
  if(SUMWRIGHT_EXECUTABLE AND TARGET "${SUMWRIGHT_EXECUTABLE}")
    set(${out_var} "$<TARGET_FILE:${SUMWRIGHT_EXECUTABLE}>" PARENT_SCOPE)
    set(${depends_var} "${SUMWRIGHT_EXECUTABLE}" PARENT_SCOPE)
    return()
  endif()
  if(SUMWRIGHT_EXECUTABLE)
    if(NOT EXISTS "${SUMWRIGHT_EXECUTABLE}")
      message(FATAL_ERROR
        "sumwright_add_crc: SUMWRIGHT_EXECUTABLE names no file: ${SUMWRIGHT_EXECUTABLE}")
    endif()
    set(${out_var} "${SUMWRIGHT_EXECUTABLE}" PARENT_SCOPE)
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

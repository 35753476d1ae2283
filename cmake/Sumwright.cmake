# SPDX-License-Identifier: MIT
# Build integration: add a CRC to a firmware image, as a post-build step of the target whose own
# post-build writes the image or as a rule of its own, and check the CRC of an image in a CTest
# test. The reference is the manual page sumwright-cmake(7).
#
#   find_package(sumwright 1.0 REQUIRED)      # an installed sumwright: this file comes with it
#   # or, from a source tree: list(APPEND CMAKE_MODULE_PATH <sumwright source>/cmake)
#   #                         include(Sumwright)
#
#   sumwright_add_crc(TARGET <target> | NAME <name>
#                     INPUT <file> OUTPUT <file> CRC 7FFE=0-7FFD
#                     [ENDIAN big|little] [ALGORITHM CCITT|16]
#                     [DEPENDS <files or targets>...])      # with NAME only
#   sumwright_check_crc(NAME <test> IMAGE <file> CRC 7FFE=0-7FFD
#                       [ENDIAN big|little] [ALGORITHM CCITT|16])
#
# sumwright_add_crc with TARGET: after TARGET is built and the post-build steps added before this
# call have run (the one that writes INPUT from the linked program), the step runs sumwright on
# INPUT and writes OUTPUT in the same form. With NAME: a rule that writes OUTPUT, and a target
# NAME in ALL that builds it; INPUT is a file of the source tree or another rule's OUTPUT.
# CRC is the -crc parameter: the code address, "=", the ranges.
#
# The step runs again exactly when its result would change. Everything that decides OUTPUT (the
# input's and the output's paths, the options, the program) goes into a settings file of the
# step, written at generate time only when it changes. The rule depends on it, on INPUT and on
# the program; a TARGET step cannot depend on files, so the target's link does (LINK_DEPENDS),
# and the target's post-build steps then run again in order. Passing the options on the command
# line would not do: Makefiles do not run a rule again when its command changes.
#
# The step (SumwrightRun.cmake) runs sumwright in a folder of its own and renames the finished
# output to OUTPUT: a failing run fails the build and leaves an earlier OUTPUT as it was. It
# prints one line naming OUTPUT (a rule's COMMENT; a post-build step's COMMENT is not shown under
# Ninja, so there the step prints it), sumwright's own lines only on failure, and, when sumwright
# refused the input with its abort line alone, the cause it finds in the input.
#
# sumwright_check_crc: adds the test NAME, which passes when IMAGE holds the CRC that sumwright
# writes with these options, and otherwise says what is wrong (SumwrightCheckCrc.cmake). The test
# runs sumwright on IMAGE again, into a folder of its own under IMAGE's file name, and compares the
# output with IMAGE byte for byte: the CRC bytes lie outside every range, so the output is IMAGE
# exactly when IMAGE already held the right CRC. It checks images that sumwright wrote: an image
# written by another tool can differ in its S0 header, or in the letter case of the record that
# holds the CRC, and fail even when its CRC is right.
#
# Relative OUTPUT and IMAGE paths are taken from the current binary directory, and so is a
# relative INPUT, except that a rule's INPUT that exists in the current source directory is taken
# from there. Paths may hold generator expressions where add_custom_command allows them; a path
# that starts with one is taken as it is.
#
# sumwright recognises its options by a "-" and their leading letters anywhere in an argument,
# so an input path containing "-" would be taken for an option: the step names INPUT by a path
# without one, or reads a copy. The test always runs on a copy named without one. The file names
# of OUTPUT and IMAGE, which sumwright writes, must not contain "-cr" or "-su" in any letter case.
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
    "sumwright program for sumwright_add_crc and sumwright_check_crc: a path, or an executable target")

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
# this build, `depends_var` to the target name. `function` names the caller in messages.
function(_sumwright_program function out_var depends_var)
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
      message(FATAL_ERROR "${function}: SUMWRIGHT_EXECUTABLE names no file: ${program}")
    endif()
    set(${out_var} "${program}" PARENT_SCOPE)
    return()
  endif()
  find_program(SUMWRIGHT_FOUND_PROGRAM NAMES sumwright)
  if(NOT SUMWRIGHT_FOUND_PROGRAM)
    message(FATAL_ERROR "${function}: no sumwright program on the PATH; "
                        "set SUMWRIGHT_EXECUTABLE to its path")
  endif()
  set(${out_var} "${SUMWRIGHT_FOUND_PROGRAM}" PARENT_SCOPE)
endfunction()

# Checks the caller's arg_CRC, arg_ALGORITHM and arg_ENDIAN (as cmake_parse_arguments left them)
# and sets `crc_var` to the -crc parameter with the algorithm, `endian_var` to big, little or
# nothing. `function` names the caller in messages.
function(_sumwright_crc_options function crc_var endian_var)
  # The -crc parameter: code address "=" ranges, hexadecimal, and at most one algorithm.
  if(NOT arg_CRC MATCHES "^[0-9A-Fa-f]+=[0-9A-Fa-f,-]+(/(CCITT|16))?$")
    message(FATAL_ERROR "${function}: CRC must read <code address>=<start>-<end>"
                        "[,<start>-<end>...] in hexadecimal, got: ${arg_CRC}")
  endif()
  set(crc "${arg_CRC}")
  if(DEFINED arg_ALGORITHM)
    if(NOT arg_ALGORITHM MATCHES "^(CCITT|16)$")
      message(FATAL_ERROR "${function}: ALGORITHM must be CCITT or 16, got: ${arg_ALGORITHM}")
    endif()
    if(crc MATCHES "/")
      message(FATAL_ERROR "${function}: give the algorithm either in CRC or as ALGORITHM")
    endif()
    string(APPEND crc "/${arg_ALGORITHM}")
  endif()
  set(endian "")
  if(DEFINED arg_ENDIAN)
    string(TOLOWER "${arg_ENDIAN}" endian)
    if(NOT endian MATCHES "^(big|little)$")
      message(FATAL_ERROR "${function}: ENDIAN must be big or little, got: ${arg_ENDIAN}")
    endif()
  endif()
  set(${crc_var} "${crc}" PARENT_SCOPE)
  set(${endian_var} "${endian}" PARENT_SCOPE)
endfunction()

# Fails on the caller's arg_UNPARSED_ARGUMENTS, and on each keyword of `required` that the caller
# was not given. `function` names the caller in messages.
function(_sumwright_check_arguments function required)
  if(arg_UNPARSED_ARGUMENTS)
    message(FATAL_ERROR "${function}: unknown arguments: ${arg_UNPARSED_ARGUMENTS}")
  endif()
  foreach(keyword IN LISTS required)
    if(NOT arg_${keyword})
      message(FATAL_ERROR "${function}: ${keyword} is required")
    endif()
  endforeach()
endfunction()

# Fails when sumwright would take the file name `name`, given as -output=<name>, for an option.
function(_sumwright_check_output_name function keyword name)
  string(TOLOWER "${name}" lower)
  if(lower MATCHES "-cr|-su")
    message(FATAL_ERROR "${function}: the ${keyword} file name must not contain \"-cr\" or "
                        "\"-su\" (sumwright would take it for an option): ${name}")
  endif()
endfunction()

# Resolves `path` against `base` unless it is absolute or starts with a generator expression,
# which add_custom_command evaluates (such as $<TARGET_FILE_DIR:app>/app.hex).
function(_sumwright_absolute out_var path base)
  if(path MATCHES "^\\$<")
    set(${out_var} "${path}" PARENT_SCOPE)
  else()
    get_filename_component(path "${path}" ABSOLUTE BASE_DIR "${base}")
    set(${out_var} "${path}" PARENT_SCOPE)
  endif()
endfunction()

function(sumwright_add_crc)
  cmake_parse_arguments(PARSE_ARGV 0 arg "" "TARGET;NAME;INPUT;OUTPUT;CRC;ENDIAN;ALGORITHM"
                        "DEPENDS")
  if(DEFINED arg_TARGET AND DEFINED arg_NAME)
    message(FATAL_ERROR "sumwright_add_crc: give TARGET (a step after the target's own post-build "
                        "steps) or NAME (a rule of its own), not both")
  elseif(DEFINED arg_TARGET)
    _sumwright_check_arguments(sumwright_add_crc "TARGET;INPUT;OUTPUT;CRC")
    if(NOT TARGET "${arg_TARGET}")
      message(FATAL_ERROR "sumwright_add_crc: TARGET ${arg_TARGET} is not a target")
    endif()
    if(arg_DEPENDS)
      message(FATAL_ERROR "sumwright_add_crc: DEPENDS goes with NAME; a TARGET step runs each "
                          "time the target is linked")
    endif()
  else()
    _sumwright_check_arguments(sumwright_add_crc "NAME;INPUT;OUTPUT;CRC")
    if(TARGET "${arg_NAME}")
      message(FATAL_ERROR "sumwright_add_crc: NAME ${arg_NAME} is a target already")
    endif()
  endif()
  _sumwright_crc_options(sumwright_add_crc crc endian)

  # TARGET's INPUT is written by the target's own post-build step, in the binary directory; a
  # rule's INPUT is a file of the source tree, or another rule's OUTPUT in the binary directory.
  set(input_base "${CMAKE_CURRENT_BINARY_DIR}")
  if(arg_NAME AND NOT IS_ABSOLUTE "${arg_INPUT}"
     AND EXISTS "${CMAKE_CURRENT_SOURCE_DIR}/${arg_INPUT}")
    set(input_base "${CMAKE_CURRENT_SOURCE_DIR}")
  endif()
  _sumwright_absolute(input "${arg_INPUT}" "${input_base}")
  _sumwright_absolute(output "${arg_OUTPUT}" "${CMAKE_CURRENT_BINARY_DIR}")
  get_filename_component(output_name "${output}" NAME)
  _sumwright_check_output_name(sumwright_add_crc OUTPUT "${output_name}")
  if(input STREQUAL output)
    message(FATAL_ERROR "sumwright_add_crc: INPUT and OUTPUT are the same file: ${input}")
  endif()

  if(arg_NAME)
    set(step_name "${arg_NAME}")
  else()
    set(step_name "${arg_TARGET}_${output_name}")
  endif()
  string(MAKE_C_IDENTIFIER "${step_name}" step_name)
  # The step's own folder, one per configuration: the settings, the run's scratch output, and
  # during the run a copy of INPUT when its path holds a "-" (which sumwright would take for an
  # option). The copy is removed after the run rather than declared a byproduct: a byproduct
  # that is missing would make Ninja run the step on every build.
  set(step_dir "${CMAKE_CURRENT_BINARY_DIR}/sumwright/${step_name}")
  set(config "$<$<NOT:$<STREQUAL:$<CONFIG>,>>:/$<CONFIG>>")
  set(work "${step_dir}${config}")
  get_filename_component(input_ext "${input}" LAST_EXT)
  string(MAKE_C_IDENTIFIER "${input_ext}" input_ext)
  string(REPLACE "_" "." input_ext "${input_ext}")
  set(input_copy "${work}/input${input_ext}")

  _sumwright_program(sumwright_add_crc program program_target)
  # Everything that decides OUTPUT goes into the settings file, written again only when it
  # changes; the step depends on it, on the program and on the script that runs it.
  set(announce OFF)
  if(arg_TARGET)
    set(announce ON)  # a post-build step's COMMENT is not shown under Ninja
  endif()
  set(settings "${work}/settings.cmake")
  file(GENERATE OUTPUT "${settings}" CONTENT
"set(SUMWRIGHT_PROGRAM [==[${program}]==])
set(SUMWRIGHT_INPUT [==[${input}]==])
set(SUMWRIGHT_OUTPUT [==[${output}]==])
set(SUMWRIGHT_CRC [==[${crc}]==])
set(SUMWRIGHT_ENDIAN [==[${endian}]==])
set(SUMWRIGHT_WORK [==[${work}]==])
set(SUMWRIGHT_INPUT_COPY [==[${input_copy}]==])
set(SUMWRIGHT_ANNOUNCE ${announce})
")
  set(runner "${CMAKE_CURRENT_FUNCTION_LIST_DIR}/SumwrightRun.cmake")
  set(run COMMAND "${CMAKE_COMMAND}" "-DSETTINGS=${settings}" -P "${runner}")

  if(arg_TARGET)
    if(program_target)
      add_dependencies("${arg_TARGET}" "${program_target}")
    endif()
    # A post-build step takes no DEPENDS: the target is linked again when a file it runs on
    # changes, and its post-build steps run again after it, in the order they were added.
    set_property(TARGET "${arg_TARGET}" APPEND PROPERTY LINK_DEPENDS
                 "${settings}" "${program}" "${runner}")
    add_custom_command(TARGET "${arg_TARGET}" POST_BUILD
      ${run}
      BYPRODUCTS "${output}"
      VERBATIM)
  else()
    # The log's line that names OUTPUT. COMMENT takes no generator expression; without one, the
    # generators name the rule by its output ("Generating ...").
    set(comment "")
    if(NOT output MATCHES "\\$<")
      set(comment COMMENT "Adding the CRC to ${output}")
    endif()
    add_custom_command(OUTPUT "${output}"
      ${run}
      DEPENDS "${input}" "${settings}" "${program}" "${runner}" ${program_target} ${arg_DEPENDS}
      ${comment}
      VERBATIM)
    add_custom_target("${arg_NAME}" ALL DEPENDS "${output}")
  endif()
endfunction()

function(sumwright_check_crc)
  cmake_parse_arguments(PARSE_ARGV 0 arg "" "NAME;IMAGE;CRC;ENDIAN;ALGORITHM" "")
  _sumwright_check_arguments(sumwright_check_crc "NAME;IMAGE;CRC")
  _sumwright_crc_options(sumwright_check_crc crc endian)
  _sumwright_absolute(image "${arg_IMAGE}" "${CMAKE_CURRENT_BINARY_DIR}")
  get_filename_component(image_name "${image}" NAME)
  _sumwright_check_output_name(sumwright_check_crc IMAGE "${image_name}")

  # A work folder per test, so that tests run in parallel (ctest -j) do not share files.
  string(MAKE_C_IDENTIFIER "${arg_NAME}" work_name)
  set(work "${CMAKE_CURRENT_BINARY_DIR}/sumwright/check/${work_name}")
  get_property(works DIRECTORY PROPERTY _SUMWRIGHT_CHECK_WORK_FOLDERS)
  if(work_name IN_LIST works)
    message(FATAL_ERROR "sumwright_check_crc: the NAME ${arg_NAME} takes the work folder of an "
                        "earlier test (${work}); choose another")
  endif()
  set_property(DIRECTORY APPEND PROPERTY _SUMWRIGHT_CHECK_WORK_FOLDERS "${work_name}")

  # The test runs after the build, so it needs no dependency on a program target.
  _sumwright_program(sumwright_check_crc program unused)
  # The script lies beside this file. CMAKE_CURRENT_LIST_DIR would be the caller's folder here;
  # CMAKE_CURRENT_FUNCTION_LIST_DIR is this file's, in whatever folder the function is called.
  add_test(NAME "${arg_NAME}"
           COMMAND "${CMAKE_COMMAND}" "-DPROGRAM=${program}" "-DIMAGE=${image}" "-DWORK=${work}"
                   "-DCRC=${crc}" "-DENDIAN=${endian}"
                   -P "${CMAKE_CURRENT_FUNCTION_LIST_DIR}/SumwrightCheckCrc.cmake")
endfunction()

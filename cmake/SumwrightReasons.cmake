# SPDX-License-Identifier: MIT
# sumwright refuses some inputs with its abort line alone. The step that sumwright_add_crc adds
# then looks for those inputs' causes here, so that a build log never ends without a reason.

# Hexadecimal digit, as the readers take it.
set(_sumwright_x "[0-9A-Fa-f]")

# Sets `out_var` to a paragraph (starting with a line end) that names the first line of `input`
# that sumwright refuses without a message, with what to do about it; or, when no such line is
# found, that says so and points to the manual's list.
function(sumwright_silent_refusal out_var input)
  set(x "${_sumwright_x}")
  set(line "[^\r\n]")
  # Each refusal: a pattern that matches from the line end before the refused line, and the text
  # that names it (\\1 is the record's type where the pattern captures it).
  set(patterns
    "\n(S[456])"
    "\n:${x}${x}${x}${x}${x}${x}(0[6-9A-Fa-f]|[1-9A-Ea-e]${x}|[Ff][0-9A-Ea-e])"
    "\n(:)${line}?${line}?${line}?${line}?${line}?${line}?${line}?\r?\n"
    "\n(S1)${line}?${line}?${line}?${line}?${line}?\r?\n"
    "\n(S2)${line}?${line}?${line}?${line}?${line}?${line}?${line}?\r?\n"
    "\n(S3)${line}?${line}?${line}?${line}?${line}?${line}?${line}?${line}?${line}?\r?\n")
  file(READ "${input}" content)
  set(content "\n${content}\n")
  set(first "")
  set(first_match "")
  foreach(pattern IN LISTS patterns)
    string(REGEX MATCH "${pattern}" match "${content}")
    if(match)
      string(FIND "${content}" "${match}" position)
      if(first STREQUAL "" OR position LESS first)
        set(first ${position})
        set(first_match "${match}")
        set(first_pattern "${pattern}")
      endif()
    endif()
  endforeach()

  if(NOT first STREQUAL "")
    string(REGEX REPLACE "${first_pattern}.*" "\\1" kind "${first_match}")
    math(EXPR first "${first} + 1")
    string(SUBSTRING "${content}" 0 ${first} before)
    string(REGEX REPLACE "[^\n]+" "" before "${before}")
    string(LENGTH "${before}" number)
    string(TOUPPER "${kind}" kind)
    if(kind MATCHES "^S[56]$")
      string(CONCAT what "${kind} record count, which sumwright refuses; drop it with "
             "grep -v '^${kind}', or tell the tool that wrote the image not to write it")
    elseif(kind STREQUAL "S4")
      set(what "S4 record, which sumwright refuses; drop it with grep -v '^S4'")
    elseif(kind MATCHES "^(:|S[123])$")
      string(CONCAT what "record too short for its fields, which sumwright refuses; write the "
             "image again")
    else()
      string(CONCAT what "Intel HEX record of type ${kind}, which sumwright refuses; leave it out "
             "of the image (objcopy writes none)")
    endif()
    set(${out_var} "\n ${input} line ${number}: ${what}" PARENT_SCOPE)
    return()
  endif()

  # A CRC record is inserted before the image's end record; without one it has no place.
  string(SUBSTRING "${content}" 1 1 form)
  if(form STREQUAL ":" AND NOT content MATCHES "\n:${x}${x}${x}${x}${x}${x}01")
    string(CONCAT reason "\n ${input}: no end-of-file record (type 01), before which sumwright "
           "inserts the CRC record when no record holds the code address; end the image with "
           ":00000001FF")
  elseif(form STREQUAL "S" AND NOT content MATCHES "\nS[789]")
    string(CONCAT reason "\n ${input}: no termination record (S7, S8 or S9), before which "
           "sumwright inserts the CRC record when no record holds the code address; end the "
           "image with one, such as S9030000FC")
  else()
    string(CONCAT reason "\n sumwright refused ${input} without a message of its own; the "
           "manual, sumwright(1), lists such inputs at the end of DIAGNOSTICS")
  endif()
  set(${out_var} "${reason}" PARENT_SCOPE)
endfunction()

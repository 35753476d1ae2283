// SPDX-License-Identifier: MIT
// The line format of the input: lines too long to keep in a buffer.
#include "input/line_splitter.h"

namespace sumwright {

OpenLine CheckOpenLine(const char* position, const char* end, const char** keep) {
  size_t open = static_cast<size_t>(end - position);
  if (open < kCarryRoom || (open == kCarryRoom && end[-1] == '\r')) {
    return OpenLine::Fits;
  }
  // A last carriage return may be the start of the line end: it is looked at again with the
  // bytes after it.
  const char* blankEnd = end[-1] == '\r' ? end - 1 : end;
  if (!IsBlankText(position, static_cast<size_t>(blankEnd - position))) {
    return OpenLine::TooLong;
  }
  *keep = blankEnd;
  return OpenLine::LongBlank;
}

BlankSkip SkipLongBlankLine(const char** position, const char* end, bool inputEnded) {
  const char* at = *position;
  for (; at < end; ++at) {
    char c = *at;
    if (c == '\n') {
      *position = at + 1;
      return BlankSkip::Done;
    }
    if (c == '\r') {
      // Part of the line end only right before the line feed, or as the input's last byte.
      if (at + 1 == end) {
        break;
      }
      if (at[1] != '\n') {
        return BlankSkip::NotBlank;
      }
    } else if (!IsBlank(c)) {
      return BlankSkip::NotBlank;
    }
  }
  if (inputEnded) {
    *position = end;
    return BlankSkip::Done;
  }
  *position = at;
  return BlankSkip::NeedMore;
}

}  // namespace sumwright

// SPDX-License-Identifier: MIT
// The line format of the input, for both of its readings (the scan, and the reading again of
// records out of address order): where a line ends, which bytes belong to its line end, and what
// becomes of a line too long to keep in a buffer.
//
// A line ends at a line feed, or at the end of the input. A carriage return right before the line
// feed, or as the input's last byte, belongs to the line end. A line of nothing but spaces and
// tabs is blank. A reader keeps the unfinished start of a line for its next read in a carry room
// of kCarryRoom bytes: a longest record (kMaxLineLength characters) and its carriage return. A
// line that outgrows it is refused, unless it is blank so far: its bytes are then dropped as
// they come (SkipLongBlankLine).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#define SUMWRIGHT_SPLIT_SSE2 1
#endif

#include "input/record_lines.h"

namespace sumwright {

constexpr size_t kCarryRoom = kMaxLineLength + 1;

// The first line feed in [position, end), or null. Records are short lines: the first
// sixty-four bytes are looked at in place, which is cheaper than starting a general search.
inline const char* FindLineFeed(const char* position, const char* end) {
#if defined(SUMWRIGHT_SPLIT_SSE2)
  if (end - position >= 64) {
    const __m128i lineFeed = _mm_set1_epi8('\n');
    uint64_t found = 0;
    for (int i = 0; i < 4; ++i) {
      __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(position + 16 * i));
      found |= uint64_t{static_cast<uint16_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, lineFeed)))}
               << (16 * i);
    }
    if (found != 0) {
      return position + __builtin_ctzll(found);
    }
    position += 64;
  }
#endif
  return static_cast<const char*>(std::memchr(position, '\n', static_cast<size_t>(end - position)));
}

// One line: its text without the line end, [text, text + length), and where the next one starts.
struct SplitLine {
  const char* text;
  size_t length;
  const char* next;
  bool lineFeed;        // ended by a line feed; otherwise by the end of the input
  bool carriageReturn;  // a carriage return belongs to its line end
};

// Takes the line that starts at `position`, in the bytes [position, end) that are read. False
// when none ends there yet: the bytes hold no line feed and the input goes on after them
// (`inputEnded` false), or there are none.
inline bool NextLine(const char* position, const char* end, bool inputEnded, SplitLine* line) {
  if (position == end) {
    return false;
  }
  const char* lineFeed = FindLineFeed(position, end);
  const char* textEnd = end;
  line->next = end;
  line->lineFeed = lineFeed != nullptr;
  if (lineFeed != nullptr) {
    textEnd = lineFeed;
    line->next = lineFeed + 1;
  } else if (!inputEnded) {
    return false;
  }
  line->carriageReturn = textEnd != position && textEnd[-1] == '\r';
  if (line->carriageReturn) {
    --textEnd;
  }
  line->text = position;
  line->length = static_cast<size_t>(textEnd - position);
  return true;
}

// What becomes of the unfinished line [position, end) that NextLine left.
enum class OpenLine {
  Fits,       // it fits the carry room: read on
  LongBlank,  // it does not, but is blank so far: drop it with SkipLongBlankLine from *keep on
  TooLong,    // it does not and is no blank line: refused
};
OpenLine CheckOpenLine(const char* position, const char* end, const char** keep);

// Inside an over-long blank line: drops its bytes from *position on, up to and including the line
// feed that ends it, moving *position. Done when the line ended (at its line feed, or at the end
// of the input when `inputEnded`), NeedMore when the bytes ran out first (a carriage return at
// their end is kept for the next look), NotBlank when a character other than a blank or the
// carriage return of the line end shows that the line is no blank line after all.
enum class BlankSkip { Done, NeedMore, NotBlank };
BlankSkip SkipLongBlankLine(const char** position, const char* end, bool inputEnded);

}  // namespace sumwright

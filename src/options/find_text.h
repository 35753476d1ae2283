// Unanchored search for the leading characters of a pattern, used to recognise option names.
#pragma once

#include <cstddef>
#include <string>

namespace sumwright {

// Searches `text` for the first `count` characters of `pattern` (count >= 1), anywhere in the
// text. With `exact` false, ASCII letters match in either case. True when found, with the
// position where the match starts in *position; false with *position 0 otherwise.
bool FindText(const std::string& text, const char* pattern, size_t count, bool exact,
              size_t* position);

}  // namespace sumwright

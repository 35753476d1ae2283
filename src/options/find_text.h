// Unanchored search for the leading characters of a pattern, used to recognise option names.
#pragma once

#include <cstddef>
#include <string>

namespace sumwright {

// Searches `text` for the first `count` characters of `pattern` (count >= 1), anywhere in the
// text; ASCII letters match in either case. True when found, with the
// position where the match starts in *position; false with *position 0 otherwise.
bool FindText(const std::string& text, const char* pattern, size_t count, size_t* position);

// The text after the first "=" of `token`, further "=" characters included. False when there is
// no "=" or nothing follows it.
bool TextAfterEquals(const std::string& token, std::string* text);

}  // namespace sumwright

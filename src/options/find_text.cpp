// Unanchored search for the leading characters of a pattern, used to recognise option names.
#include "options/find_text.h"

#include <cctype>

namespace sumwright {

namespace {

bool SameCharacter(char textCharacter, char patternCharacter) {
  if (textCharacter == patternCharacter) {
    return true;
  }
  // Only ASCII letters fold; bytes above 0x7F never match another byte.
  unsigned char t = static_cast<unsigned char>(textCharacter);
  unsigned char p = static_cast<unsigned char>(patternCharacter);
  if (t > 0x7F || p > 0x7F) {
    return false;
  }
  return std::tolower(t) == std::tolower(p);
}

}  // namespace

bool FindText(const std::string& text, const char* pattern, size_t count, size_t* position) {
  *position = 0;
  if (pattern == nullptr || count == 0) {
    return false;
  }
  for (size_t start = 0; start + count <= text.size(); ++start) {
    size_t matched = 0;
    while (matched < count && pattern[matched] != '\0' &&
           SameCharacter(text[start + matched], pattern[matched])) {
      ++matched;
    }
    if (matched == count) {
      *position = start;
      return true;
    }
  }
  return false;
}

bool TextAfterEquals(const std::string& token, std::string* text) {
  size_t equals = 0;
  if (!FindText(token, "=", 1, &equals) || equals + 1 >= token.size()) {
    return false;
  }
  *text = token.substr(equals + 1);
  return true;
}

}  // namespace sumwright

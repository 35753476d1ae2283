// SPDX-License-Identifier: MIT
// Text as names travel inside the program (UTF-8 bytes) and as Windows takes them (UTF-16), and
// on Windows the ANSI code page that messages and headers keep.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace sumwright {

// The UTF-8 byte order mark, which some editors put at the start of a text file.
constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

// UTF-16 to UTF-8. A surrogate without its partner (which a Windows file name may hold) becomes
// the three bytes that encode its value, so that TextToUtf16 gives it back and the name still
// names its file.
std::string TextFromUtf16(std::u16string_view units);

// UTF-8 (with lone surrogates as TextFromUtf16 writes them) to UTF-16. A byte that starts no
// well-formed sequence becomes U+FFFD.
std::u16string TextToUtf16(std::string_view text);

// True when `text` is well-formed UTF-8: no overlong form, no surrogate, nothing above U+10FFFF,
// no sequence cut short. ASCII is UTF-8.
bool IsUtf8(std::string_view text);

#if defined(_WIN32)
// The same conversions with the system's wide characters.
std::wstring WideText(std::string_view text);
std::string TextFromWide(const wchar_t* units, size_t count);

// The text in the ANSI code page: every character that the code page holds as its own bytes,
// every other one (best-fit look-alikes refused) as `replacement`. The text itself when the code
// page is UTF-8.
std::string AnsiFromText(std::string_view text, char replacement);

// Bytes in the ANSI code page, as UTF-8.
std::string TextFromAnsi(std::string_view bytes);
#endif

}  // namespace sumwright

// SPDX-License-Identifier: MIT
// Text as names travel inside the program (UTF-8 bytes) and as Windows takes them (UTF-16), and
// on Windows the ANSI code page that messages and headers keep.
#include "base/wide_text.h"

#include <cstdint>

#if defined(_WIN32)
#include <windows.h>
#endif

namespace sumwright {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool IsHighSurrogate(char32_t unit) {
  return unit >= 0xD800 && unit <= 0xDBFF;
}

bool IsLowSurrogate(char32_t unit) {
  return unit >= 0xDC00 && unit <= 0xDFFF;
}

void AppendUtf8(char32_t point, std::string* text) {
  if (point < 0x80) {
    text->push_back(static_cast<char>(point));
    return;
  }
  int trailing = point < 0x800 ? 1 : point < 0x10000 ? 2 : 3;
  static const unsigned char kLead[] = {0, 0xC0, 0xE0, 0xF0};
  text->push_back(static_cast<char>(kLead[trailing] | (point >> (6 * trailing))));
  for (int shift = 6 * (trailing - 1); shift >= 0; shift -= 6) {
    text->push_back(static_cast<char>(0x80 | ((point >> shift) & 0x3F)));
  }
}

// Decodes the sequence at text[*at] and moves *at past it. `strict` refuses surrogates; a
// sequence that is not well-formed gives false, with *at moved past its first byte.
bool DecodeUtf8(std::string_view text, size_t* at, bool strict, char32_t* point) {
  auto byte = [&text](size_t i) { return static_cast<unsigned char>(text[i]); };
  unsigned char lead = byte(*at);
  ++*at;
  if (lead < 0x80) {
    *point = lead;
    return true;
  }
  int trailing = lead >= 0xC2 && lead <= 0xDF   ? 1
                 : lead >= 0xE0 && lead <= 0xEF ? 2
                 : lead >= 0xF0 && lead <= 0xF4 ? 3
                                                : 0;
  if (trailing == 0 || text.size() - *at < static_cast<size_t>(trailing)) {
    return false;
  }
  char32_t value = lead & (0x3F >> trailing);
  for (int i = 0; i < trailing; ++i) {
    unsigned char next = byte(*at + static_cast<size_t>(i));
    if ((next & 0xC0) != 0x80) {
      return false;
    }
    value = (value << 6) | (next & 0x3F);
  }
  static const char32_t kLeast[] = {0, 0x80, 0x800, 0x10000};
  if (value < kLeast[trailing] || value > 0x10FFFF ||
      (strict && value >= 0xD800 && value <= 0xDFFF)) {
    return false;
  }
  *at += static_cast<size_t>(trailing);
  *point = value;
  return true;
}

}  // namespace

std::string TextFromUtf16(std::u16string_view units) {
  std::string text;
  text.reserve(units.size());
  for (size_t i = 0; i < units.size(); ++i) {
    char32_t unit = units[i];
    if (IsHighSurrogate(unit) && i + 1 < units.size() && IsLowSurrogate(units[i + 1])) {
      unit = 0x10000 + ((unit - 0xD800) << 10) + (units[i + 1] - 0xDC00);
      ++i;
    }
    AppendUtf8(unit, &text);
  }
  return text;
}

std::u16string TextToUtf16(std::string_view text) {
  std::u16string units;
  units.reserve(text.size());
  for (size_t at = 0; at < text.size();) {
    char32_t point = kReplacement;
    if (!DecodeUtf8(text, &at, false, &point)) {
      point = kReplacement;
    }
    if (point >= 0x10000) {
      units.push_back(static_cast<char16_t>(0xD800 + ((point - 0x10000) >> 10)));
      units.push_back(static_cast<char16_t>(0xDC00 + ((point - 0x10000) & 0x3FF)));
    } else {
      units.push_back(static_cast<char16_t>(point));
    }
  }
  return units;
}

bool IsUtf8(std::string_view text) {
  for (size_t at = 0; at < text.size();) {
    char32_t point = 0;
    if (!DecodeUtf8(text, &at, true, &point)) {
      return false;
    }
  }
  return true;
}

#if defined(_WIN32)

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows wide characters are UTF-16 units");

std::wstring WideText(std::string_view text) {
  std::u16string units = TextToUtf16(text);
  return std::wstring(units.begin(), units.end());
}

std::string TextFromWide(const wchar_t* units, size_t count) {
  return TextFromUtf16(std::u16string(units, units + count));
}

namespace {

// One character in the ANSI code page; false when it has none of its own there.
bool AnsiCharacter(const wchar_t* units, int count, std::string* bytes) {
  char buffer[8];
  BOOL usedDefault = FALSE;
  int length = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, units, count, buffer,
                                   sizeof buffer, nullptr, &usedDefault);
  if (length <= 0 || usedDefault) {
    return false;
  }
  bytes->append(buffer, static_cast<size_t>(length));
  return true;
}

}  // namespace

std::string AnsiFromText(std::string_view text, char replacement) {
  if (GetACP() == CP_UTF8) {
    return std::string(text);
  }
  std::wstring wide = WideText(text);
  std::string bytes;
  // Most texts convert whole; only one that holds a foreign character goes a character at a time.
  BOOL usedDefault = FALSE;
  int whole = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(),
                                  static_cast<int>(wide.size()), nullptr, 0, nullptr, &usedDefault);
  if (whole > 0 && !usedDefault) {
    bytes.resize(static_cast<size_t>(whole));
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), static_cast<int>(wide.size()),
                        &bytes[0], whole, nullptr, nullptr);
    return bytes;
  }
  for (size_t i = 0; i < wide.size();) {
    // A character is one unit, or two for a surrogate pair.
    int count =
        IsHighSurrogate(wide[i]) && i + 1 < wide.size() && IsLowSurrogate(wide[i + 1]) ? 2 : 1;
    if (!AnsiCharacter(wide.data() + i, count, &bytes)) {
      bytes.push_back(replacement);
    }
    i += static_cast<size_t>(count);
  }
  return bytes;
}

std::string TextFromAnsi(std::string_view bytes) {
  if (bytes.empty()) {
    return std::string();
  }
  int count =
      MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(count > 0 ? count : 0), L'\0');
  if (count > 0) {
    MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), &wide[0], count);
  }
  return TextFromWide(wide.data(), wide.size());
}

#endif

}  // namespace sumwright

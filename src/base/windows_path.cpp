// SPDX-License-Identifier: MIT
// The path that Windows' wide file functions get for a file name: the name as given, or, past
// the classic 259-character limit, the "\\?\" form of its full path.
#include "base/windows_path.h"

#if defined(_WIN32)
#include <windows.h>

#include "base/wide_text.h"
#endif

namespace sumwright {

namespace {

bool IsSeparator(char16_t c) {
  return c == u'\\' || c == u'/';
}

// "\\?\" (which only backslashes make) or a device path "\\.\" (either separator).
bool IsLiteralPath(std::u16string_view path) {
  if (path.size() < 4) {
    return false;
  }
  if (path.substr(0, 4) == u"\\\\?\\") {
    return true;
  }
  return IsSeparator(path[0]) && IsSeparator(path[1]) && path[2] == u'.' && IsSeparator(path[3]);
}

}  // namespace

std::u16string LongPathForm(std::u16string_view name, std::u16string_view fullPath) {
  if (IsLiteralPath(name) || fullPath.empty() ||
      (name.size() < kLongPath && fullPath.size() < kLongPath)) {
    return std::u16string(name);
  }
  if (IsLiteralPath(fullPath)) {
    return std::u16string(fullPath);
  }
  if (IsSeparator(fullPath[0]) && IsSeparator(fullPath[1])) {
    return u"\\\\?\\UNC\\" + std::u16string(fullPath.substr(2));
  }
  return u"\\\\?\\" + std::u16string(fullPath);
}

#if defined(_WIN32)

std::wstring FullPath(const std::wstring& name) {
  std::wstring full(MAX_PATH, L'\0');
  for (int attempt = 0; attempt < 3; ++attempt) {
    DWORD length =
        GetFullPathNameW(name.c_str(), static_cast<DWORD>(full.size()), &full[0], nullptr);
    if (length == 0) {
      return std::wstring();
    }
    // Too small a buffer: length is the size needed, with the NUL.
    if (length < full.size()) {
      full.resize(length);
      return full;
    }
    full.resize(length);
  }
  return std::wstring();
}

std::wstring SystemPath(std::string_view name) {
  std::wstring wide = WideText(name);
  std::wstring full = FullPath(wide);
  std::u16string path = LongPathForm(std::u16string(wide.begin(), wide.end()),
                                     std::u16string(full.begin(), full.end()));
  return std::wstring(path.begin(), path.end());
}

#endif

}  // namespace sumwright

// SPDX-License-Identifier: MIT
// The path that Windows' wide file functions get for a file name: the name as given, or, past
// the classic 259-character limit, the "\\?\" form of its full path.
#pragma once

#include <string>
#include <string_view>

namespace sumwright {

// Full paths from this length on fail in the plain form unless Windows was switched to long
// paths: MAX_PATH, 260 characters with the terminating NUL.
constexpr size_t kLongPath = 260;

// The path for the file functions, given `name` and what GetFullPathNameW made of it (empty when
// it failed), both UTF-16:
//  - a name given as "\\?\..." or as a device path "\\.\...", a name whose full path is
//    unknown, and a name that is, like its full path, shorter than kLongPath: as given, and the
//    system applies its own name rules (trailing blanks and dots dropped, NUL, CON and COM1 as
//    devices) as it always did;
//  - otherwise the full path, which already has those rules applied: as it stands when it is a
//    device path or "\\?\" form, "\\?\UNC\server\share\..." for "\\server\share\...", otherwise
//    "\\?\" in front of the drive path. The "\\?\" form switches the rules and the length limit
//    off.
std::u16string LongPathForm(std::u16string_view name, std::u16string_view fullPath);

#if defined(_WIN32)
// What GetFullPathNameW makes of `name`, of any length; empty when it fails.
std::wstring FullPath(const std::wstring& name);

// The path that the wide file functions get for the UTF-8 name `name`: LongPathForm of it.
std::wstring SystemPath(std::string_view name);
#endif

}  // namespace sumwright

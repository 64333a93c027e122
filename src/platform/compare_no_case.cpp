// Case-insensitive comparison without the shell, for code that also runs outside Windows. On
// Windows it folds case as the file system compares names, by the system's own table for every
// letter (a folder "C:\Sicherung Ü" is "c:\sicherung ü"); elsewhere, for the native tests, one
// UTF-16 unit at a time through the C library.
#include "platform/command_line.h"

#include <algorithm>

#include <cwctype>

#ifdef _WIN32
#include <windows.h>
#endif

namespace platform {

int CompareNoCasePortable(const std::wstring& a, const std::wstring& b) {
#ifdef _WIN32
    // CSTR_LESS_THAN, CSTR_EQUAL or CSTR_GREATER_THAN (1 to 3); 0 only for arguments it refuses.
    return ::CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()), TRUE) -
           CSTR_EQUAL;
#else
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        const wint_t x = std::towlower(static_cast<wint_t>(a[i]));
        const wint_t y = std::towlower(static_cast<wint_t>(b[i]));
        if (x != y) return x < y ? -1 : 1;
    }
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
#endif
}

}  // namespace platform

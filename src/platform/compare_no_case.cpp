// Case-insensitive comparison without the shell, for code that also runs outside Windows.
#include "platform/command_line.h"

#include <algorithm>

#include <cwctype>

namespace platform {

int CompareNoCasePortable(const std::wstring& a, const std::wstring& b) {
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        const wint_t x = std::towlower(static_cast<wint_t>(a[i]));
        const wint_t y = std::towlower(static_cast<wint_t>(b[i]));
        if (x != y) return x < y ? -1 : 1;
    }
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}

}  // namespace platform

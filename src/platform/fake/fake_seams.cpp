#include "platform/fake/fake_seams.h"

#include <algorithm>
#include <cwctype>

namespace platform {

DWORD FakeModuleFile::GetFileName(wchar_t* buffer, DWORD size) {
    lastSize = size;
    const DWORD copied = static_cast<DWORD>(std::min<size_t>(path.size(), size));
    std::copy(path.begin(), path.begin() + copied, buffer);
    // Like the system: zero-terminated when it fits, cut (and unterminated on XP) when not.
    if (copied < size) buffer[copied] = L'\0';
    return copied;
}

DWORD FakeFileSystem::GetAttributes(const std::wstring& path) {
    queried.push_back(path);
    auto lower = [](std::wstring s) {
        std::transform(s.begin(), s.end(), s.begin(), [](wchar_t c) { return static_cast<wchar_t>(std::towlower(c)); });
        return s;
    };
    for (const auto& e : existing) {
        if (lower(e) == lower(path)) return FILE_ATTRIBUTE_NORMAL;
    }
    return INVALID_FILE_ATTRIBUTES;
}

}  // namespace platform

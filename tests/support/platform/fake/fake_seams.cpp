#include "platform/fake/fake_seams.h"

#include <algorithm>

namespace platform {

DWORD FakeModuleFile::GetFileName(wchar_t* buffer, DWORD size) {
    lastSize = size;
    const DWORD copied = static_cast<DWORD>(std::min<size_t>(path.size(), size));
    std::copy(path.begin(), path.begin() + copied, buffer);
    // Like the system: zero-terminated when it fits, cut (and unterminated on XP) when not.
    if (copied < size) buffer[copied] = L'\0';
    return copied;
}

}  // namespace platform

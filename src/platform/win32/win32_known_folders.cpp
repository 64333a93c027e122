#include "platform/win32/win32_known_folders.h"

#include <windows.h>
#include <shlobj.h>

namespace platform {
namespace {

// The folder by its CSIDL: the same paths as the known-folder call, into a buffer of our own,
// so that reading them needs no COM allocator (and so no COM DLLs at start-up).
std::wstring KnownFolder(int csidl) {
    wchar_t path[MAX_PATH] = {};
    if (FAILED(::SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path))) return std::wstring();
    return path;
}

}  // namespace

std::wstring Win32KnownFolders::ProgramData() { return KnownFolder(CSIDL_COMMON_APPDATA); }

std::wstring Win32KnownFolders::UserAppData() { return KnownFolder(CSIDL_APPDATA); }

}  // namespace platform

#include "platform/win32/win32_known_folders.h"

#include <windows.h>
#include <shlobj.h>

namespace platform {
namespace {

// FOLDERID_ProgramData and FOLDERID_RoamingAppData, spelled out so that no import library
// has to provide them.
const GUID kProgramData = {0x62AB5D82, 0xFDC1, 0x4DC3, {0xA9, 0xDD, 0x07, 0x0D, 0x1D, 0x49, 0x5D, 0x97}};
const GUID kRoamingAppData = {0x3EB685DB, 0x65F9, 0x4CF6, {0xA0, 0x3A, 0xE3, 0xEF, 0x65, 0x72, 0x9F, 0x3D}};

std::wstring KnownFolder(const GUID& id) {
    PWSTR path = nullptr;
    std::wstring result;
    if (SUCCEEDED(::SHGetKnownFolderPath(id, 0, nullptr, &path)) && path != nullptr) result = path;
    ::CoTaskMemFree(path);
    return result;
}

}  // namespace

std::wstring Win32KnownFolders::ProgramData() { return KnownFolder(kProgramData); }

std::wstring Win32KnownFolders::UserAppData() { return KnownFolder(kRoamingAppData); }

}  // namespace platform

#include "unix_paths.h"

#include <windows.h>

namespace adapter {
namespace {

typedef char*(CDECL* UnixFileNameFunction)(const wchar_t*);

UnixFileNameFunction WineFunction() {
    static UnixFileNameFunction function = reinterpret_cast<UnixFileNameFunction>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    return function;
}

bool Direct(const std::wstring& windowsPath, std::wstring& unixPath) {
    UnixFileNameFunction function = WineFunction();
    if (function == nullptr) return false;
    char* utf8 = function(windowsPath.c_str());
    if (utf8 == nullptr) return false;
    const int length = ::MultiByteToWideChar(CP_UTF8, 0, utf8, -1, nullptr, 0);
    std::wstring wide(length > 0 ? length : 1, L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, utf8, -1, &wide[0], length);
    ::HeapFree(::GetProcessHeap(), 0, utf8);
    wide.resize(wide.size() - 1);
    unixPath = wide;
    return !unixPath.empty();
}

}  // namespace

bool WineUnixPath(const std::wstring& windowsPath, std::wstring& unixPath) {
    std::wstring path = windowsPath;
    while (path.size() > 3 && (path.back() == L'\\' || path.back() == L'/')) path.pop_back();
    if (Direct(path, unixPath)) return true;
    // Wine translates a missing last component; deeper missing folders go through the parent.
    const size_t cut = path.find_last_of(L"\\/");
    if (cut == std::wstring::npos || cut < 2) return false;
    std::wstring parent;
    if (!WineUnixPath(path.substr(0, cut + 1), parent)) return false;
    if (parent.empty() || parent.back() != L'/') parent += L'/';
    unixPath = parent + path.substr(cut + 1);
    return true;
}

}  // namespace adapter

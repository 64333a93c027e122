#include "kit/restart_removals.h"

#include <windows.h>

#include <algorithm>
#include <cstddef>
#include <vector>

#include "platform/win32/unique_handle.h"

namespace kit {
namespace {

const wchar_t kSessionManager[] = L"SYSTEM\\CurrentControlSet\\Control\\Session Manager";
const wchar_t kQueued[] = L"PendingFileRenameOperations";

// A path as the system queues it ("\??\C:\..."), without the prefix.
std::wstring Plain(const std::wstring& queued) { return queued.rfind(L"\\??\\", 0) == 0 ? queued.substr(4) : queued; }

// Whether `path` is `folder` or lies below it.
bool InFolder(const std::wstring& path, std::wstring folder) {
    while (!folder.empty() && folder.back() == L'\\') folder.pop_back();
    if (folder.empty() || path.size() < folder.size()) return false;
    if (path.size() > folder.size() && path[folder.size()] != L'\\') return false;
    const int length = static_cast<int>(folder.size());
    return ::CompareStringOrdinal(path.c_str(), length, folder.c_str(), length, TRUE) == CSTR_EQUAL;
}

}  // namespace

void KeepFromRemovalAtRestart(const std::wstring& folder, KitLog& log) {
    HKEY opened = nullptr;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kSessionManager, 0, KEY_QUERY_VALUE | KEY_SET_VALUE | KEY_WOW64_64KEY,
                        &opened) != ERROR_SUCCESS) {
        return;  // no administrator: nothing of ours can have been queued by one
    }
    const platform::unique_registry key(opened);
    DWORD type = 0, size = 0;
    if (::RegQueryValueExW(key.get(), kQueued, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        type != REG_MULTI_SZ) {
        return;
    }
    std::vector<wchar_t> data(size / sizeof(wchar_t) + 1, L'\0');
    size = static_cast<DWORD>(data.size() * sizeof(wchar_t));
    if (::RegQueryValueExW(key.get(), kQueued, nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size) !=
        ERROR_SUCCESS) {
        return;
    }
    // Pairs of texts: a path, then its new name, empty for a removal.
    std::vector<std::wstring> texts(1);
    for (std::size_t i = 0; i < size / sizeof(wchar_t); ++i) {
        if (data[i] == L'\0') {
            texts.emplace_back();
        } else {
            texts.back() += data[i];
        }
    }
    std::wstring kept;
    std::vector<std::wstring> taken;
    std::size_t i = 0;
    for (; i < texts.size() && !texts[i].empty(); i += 2) {
        if (i + 1 == texts.size()) return;  // a path without its new name: not a list to rewrite
        const std::wstring path = Plain(texts[i]);
        if (texts[i + 1].empty() && InFolder(path, folder)) {
            taken.push_back(path);
        } else {
            kept += texts[i] + L'\0' + texts[i + 1] + L'\0';
        }
    }
    // An empty path ends the list: one that goes on after it is not ours to rewrite either.
    const auto rest = texts.begin() + static_cast<std::ptrdiff_t>(i);
    if (taken.empty() || std::any_of(rest, texts.end(), [](const std::wstring& text) { return !text.empty(); })) return;
    const LSTATUS written = kept.empty() ? ::RegDeleteValueW(key.get(), kQueued)
                                         : ::RegSetValueExW(key.get(), kQueued, 0, REG_MULTI_SZ,
                                                            reinterpret_cast<const BYTE*>(kept.c_str()),
                                                            static_cast<DWORD>((kept.size() + 1) * sizeof(wchar_t)));
    if (written != ERROR_SUCCESS) {
        log.Write(L"The removals queued for the next restart could not be changed (system error " +
                  std::to_wstring(written) + L").");
        return;
    }
    for (const std::wstring& path : taken)
        log.Write(L"Taken back from its removal at the next restart: " + path + L".");
}

}  // namespace kit

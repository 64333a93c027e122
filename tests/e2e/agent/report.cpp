#include "report.h"

#include <windows.h>

namespace {

std::wstring g_reportPath;
SRWLOCK g_reportLock = SRWLOCK_INIT;

}  // namespace

void SetReportFolder(const std::wstring& folder) { g_reportPath = folder + L"\\CorvexWorkstation.report"; }

void Report(const std::string& line) {
    if (g_reportPath.empty()) return;
    const std::string text = line + "\r\n";
    ::AcquireSRWLockExclusive(&g_reportLock);
    HANDLE file = ::CreateFileW(g_reportPath.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        DWORD written = 0;
        ::WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
        ::CloseHandle(file);
    }
    ::ReleaseSRWLockExclusive(&g_reportLock);
}

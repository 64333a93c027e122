#include "agent_bench.h"

#include <cstdlib>
#include <memory>
#include <type_traits>
#include <vector>

namespace agent_bench {
namespace {

const wchar_t kServiceName[] = L"QuentaraCorvexWorkstation_x64";

struct CloseService {
    void operator()(SC_HANDLE handle) const { ::CloseServiceHandle(handle); }
};
using Service = std::unique_ptr<std::remove_pointer<SC_HANDLE>::type, CloseService>;

// The manager stays open as long as the service handle: both go together.
struct Opened {
    Service manager;
    Service service;
};

Opened Open(DWORD access) {
    Opened opened;
    opened.manager.reset(::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT));
    if (opened.manager) opened.service.reset(::OpenServiceW(opened.manager.get(), kServiceName, access));
    return opened;
}

std::wstring PathOf(const wchar_t* fileName) { return Folder() + L"\\" + fileName; }

}  // namespace

std::wstring Folder() {
    const wchar_t* folder = ::_wgetenv(L"CORVEX_AGENT_DIR");
    return folder == nullptr ? std::wstring() : std::wstring(folder);
}

void WriteBehaviour(const std::string& word) {
    HANDLE file = ::CreateFileW(PathOf(L"CorvexWorkstation.behaviour").c_str(), GENERIC_WRITE, 0, nullptr,
                                CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    ::WriteFile(file, word.data(), static_cast<DWORD>(word.size()), &written, nullptr);
    ::CloseHandle(file);
}

std::string ReadReport() {
    HANDLE file = ::CreateFileW(PathOf(L"CorvexWorkstation.report").c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                nullptr);
    if (file == INVALID_HANDLE_VALUE) return std::string();
    std::string text;
    char buffer[4096];
    DWORD read = 0;
    while (::ReadFile(file, buffer, sizeof(buffer), &read, nullptr) && read > 0) text.append(buffer, read);
    ::CloseHandle(file);
    return text;
}

void ClearReport() { ::DeleteFileW(PathOf(L"CorvexWorkstation.report").c_str()); }

bool Exists() { return Open(SERVICE_QUERY_STATUS).service != nullptr; }

DWORD State() {
    Opened opened = Open(SERVICE_QUERY_STATUS);
    SERVICE_STATUS status = {};
    if (!opened.service || !::QueryServiceStatus(opened.service.get(), &status)) return 0;
    return status.dwCurrentState;
}

DWORD StartType() {
    Opened opened = Open(SERVICE_QUERY_CONFIG);
    if (!opened.service) return 0;
    DWORD needed = 0;
    ::QueryServiceConfigW(opened.service.get(), nullptr, 0, &needed);
    if (needed == 0) return 0;
    std::vector<unsigned char> buffer(needed);
    auto* config = reinterpret_cast<QUERY_SERVICE_CONFIGW*>(buffer.data());
    if (!::QueryServiceConfigW(opened.service.get(), config, needed, &needed)) return 0;
    return config->dwStartType;
}

bool WaitForState(DWORD state, DWORD timeoutMs) {
    const DWORD start = ::GetTickCount();
    for (;;) {
        if (State() == state) return true;
        if (::GetTickCount() - start > timeoutMs) return false;
        ::Sleep(100);
    }
}

void StopIfRunning() {
    if (State() != SERVICE_RUNNING) return;
    Opened opened = Open(SERVICE_STOP | SERVICE_QUERY_STATUS);
    SERVICE_STATUS status = {};
    if (opened.service && ::ControlService(opened.service.get(), SERVICE_CONTROL_STOP, &status)) {
        WaitForState(SERVICE_STOPPED, 15000);
    }
}

}  // namespace agent_bench

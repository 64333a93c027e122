// The service manager seam against the system's own service control manager: a service of the
// test's own is created, reconfigured and deleted, and each call changes only what it says.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "platform/win32/win32_service_manager.h"

namespace {

// Start type, error control, kind, command line and display name, as the manager keeps them.
std::wstring Config(SC_HANDLE service) {
    DWORD needed = 0;
    ::QueryServiceConfigW(service, nullptr, 0, &needed);
    std::vector<BYTE> buffer(needed);
    auto* config = reinterpret_cast<QUERY_SERVICE_CONFIGW*>(buffer.data());
    if (!::QueryServiceConfigW(service, config, needed, &needed)) return L"(unreadable)";
    return std::to_wstring(config->dwStartType) + L" " + std::to_wstring(config->dwErrorControl) + L" " +
           std::to_wstring(config->dwServiceType) + L" " + config->lpBinaryPathName + L" " + config->lpDisplayName;
}

TEST(ServiceManager, CreatesReconfiguresAndDeletesAServiceChangingOnlyWhatEachCallSays) {
    platform::Win32ServiceManager services;
    const SC_HANDLE manager = services.OpenManager(SC_MANAGER_ALL_ACCESS);
    ASSERT_NE(manager, nullptr);
    const std::wstring name = L"CorvexSeamTest" + std::to_wstring(::GetCurrentProcessId());
    const SC_HANDLE service = services.CreateOwnProcessService(manager, name, L"Seam", L"\"C:\\a b\\x.exe\"", 2);
    ASSERT_NE(service, nullptr) << services.LastError();
    EXPECT_EQ(Config(service), L"2 1 16 \"C:\\a b\\x.exe\" Seam");  // automatic, normal errors, own process
    EXPECT_EQ(services.CreateOwnProcessService(manager, name, L"Seam", L"x.exe", 2), nullptr);
    EXPECT_EQ(services.LastError(), static_cast<DWORD>(ERROR_SERVICE_EXISTS));
    EXPECT_TRUE(services.ChangeStartType(service, SERVICE_DEMAND_START));
    EXPECT_EQ(Config(service), L"3 1 16 \"C:\\a b\\x.exe\" Seam");
    EXPECT_TRUE(services.ChangeRegistration(service, SERVICE_AUTO_START, L"\"C:\\new\\x.exe\"", L"Seam 2"));
    std::wstring path;
    EXPECT_TRUE(services.QueryBinaryPath(service, path));
    EXPECT_EQ(path, L"\"C:\\new\\x.exe\"");
    EXPECT_EQ(Config(service), L"2 1 16 \"C:\\new\\x.exe\" Seam 2");
    EXPECT_TRUE(services.Delete(service));
    services.Close(service);
    services.Close(manager);
}

}  // namespace

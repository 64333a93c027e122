#include "service/service_registration.h"

#include "platform/clock.h"
#include "platform/command_line.h"
#include "platform/platform.h"
#include "platform/service_manager.h"
#include "service/implementation.h"

namespace ServiceControl {
namespace {

// One handle of the service manager, closed on every way out.
class Handle {
public:
    explicit Handle(platform::ScHandle handle) : handle_(handle) {}
    ~Handle() {
        if (handle_ != nullptr) platform::GetServiceManager().Close(handle_);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    platform::ScHandle get() const { return handle_; }

private:
    platform::ScHandle handle_;
};

platform::ScHandle OpenManagerOrThrow(DWORD access) {
    platform::ServiceManager& services = platform::GetServiceManager();
    const platform::ScHandle manager = services.OpenManager(access);
    if (manager == nullptr) ThrowError(services.LastError());
    return manager;
}

platform::ScHandle OpenServiceOrThrow(const Handle& manager, DWORD access) {
    platform::ServiceManager& services = platform::GetServiceManager();
    const platform::ScHandle service = services.OpenServiceByName(manager.get(), kServiceName, access);
    if (service == nullptr) ThrowError(services.LastError());
    return service;
}

std::wstring Quoted(const std::wstring& path) { return L"\"" + path + L"\""; }

}  // namespace

void ServiceRegistration::Register(const std::wstring& agentPath) {
    platform::ServiceManager& services = platform::GetServiceManager();
    const Handle manager(OpenManagerOrThrow(SC_MANAGER_CONNECT | SC_MANAGER_CREATE_SERVICE));
    const auto create = [&] {
        return services.CreateOwnProcessService(manager.get(), kServiceName, kServiceDisplayName, Quoted(agentPath),
                                                SERVICE_AUTO_START);
    };
    platform::ScHandle made = create();
    // A service removed a moment ago stays marked for deletion until every program that has it
    // open (the Services console, a monitoring tool) lets go of it: up to 30 s are waited for that.
    for (int pause = 0; made == nullptr && services.LastError() == ERROR_SERVICE_MARKED_FOR_DELETE && pause < 60;
         ++pause) {
        platform::GetClock().Sleep(500);
        made = create();
    }
    const Handle created(made);
    if (created.get() != nullptr) return;
    const DWORD error = services.LastError();
    if (error != ERROR_SERVICE_EXISTS) ThrowError(error);
    const Handle service(OpenServiceOrThrow(manager, SERVICE_CHANGE_CONFIG));
    if (!services.ChangeRegistration(service.get(), SERVICE_AUTO_START, Quoted(agentPath), kServiceDisplayName)) {
        ThrowError(services.LastError());
    }
}

bool ServiceRegistration::IsRegistered() {
    platform::ServiceManager& services = platform::GetServiceManager();
    const Handle manager(OpenManagerOrThrow(SC_MANAGER_CONNECT));
    const Handle service(services.OpenServiceByName(manager.get(), kServiceName, SERVICE_QUERY_STATUS));
    if (service.get() != nullptr) return true;
    const DWORD error = services.LastError();
    if (error == ERROR_SERVICE_DOES_NOT_EXIST || error == ERROR_SERVICE_MARKED_FOR_DELETE) return false;
    ThrowError(error);
}

std::wstring ServiceRegistration::AgentPath() {
    platform::ServiceManager& services = platform::GetServiceManager();
    const Handle manager(OpenManagerOrThrow(SC_MANAGER_CONNECT));
    const Handle service(OpenServiceOrThrow(manager, SERVICE_QUERY_CONFIG));
    std::wstring commandLine;
    if (!services.QueryBinaryPath(service.get(), commandLine)) ThrowError(services.LastError());
    return commandLine;
}

void ServiceRegistration::Remove() {
    platform::ServiceManager& services = platform::GetServiceManager();
    const Handle manager(OpenManagerOrThrow(SC_MANAGER_CONNECT));
    const Handle service(OpenServiceOrThrow(manager, DELETE));
    if (!services.Delete(service.get()) && services.LastError() != ERROR_SERVICE_MARKED_FOR_DELETE) {
        ThrowError(services.LastError());
    }
}

bool RunsProgram(const std::wstring& commandLine, const std::wstring& agentPath) {
    std::wstring program = commandLine;
    if (!program.empty() && program.front() == L'"') {
        const size_t close = program.find(L'"', 1);
        program = program.substr(1, close == std::wstring::npos ? std::wstring::npos : close - 1);
    }
    return platform::CompareNoCasePortable(program, agentPath) == 0;
}

}  // namespace ServiceControl

#include "platform/fake/fake_service_manager.h"

#include <stdexcept>

namespace platform {

void FakeServiceManager::FailCall(const std::string& callName, int occurrence, DWORD errorCode, BOOL rawResult) {
    failures_.push_back(Failure{callName, occurrence, errorCode, rawResult});
}

std::vector<std::string> FakeServiceManager::CallNames() const {
    std::vector<std::string> names;
    for (const Call& call : calls) names.push_back(call.name);
    return names;
}

std::vector<const FakeServiceManager::Call*> FakeServiceManager::CallsNamed(const std::string& name) const {
    std::vector<const Call*> found;
    for (const Call& call : calls) {
        if (call.name == name) found.push_back(&call);
    }
    return found;
}

std::set<ScHandle> FakeServiceManager::OpenHandles() const {
    std::set<ScHandle> open(managers_);
    open.insert(services_.begin(), services_.end());
    return open;
}

FakeServiceManager::Call& FakeServiceManager::Record(const std::string& name, ScHandle handle, DWORD argument) {
    calls.push_back(Call{name, handle, argument, std::wstring(), nullptr, TRUE, clock_.TickCount()});
    return calls.back();
}

bool FakeServiceManager::Fails(Call& call) {
    const int occurrence = static_cast<int>(CallsNamed(call.name).size());
    for (const Failure& failure : failures_) {
        if (failure.name == call.name && failure.occurrence == occurrence) {
            lastError_ = failure.errorCode;
            call.result = failure.rawResult;
            return true;
        }
    }
    return false;
}

bool FakeServiceManager::CheckHandle(Call& call, const std::set<ScHandle>& kind) {
    if (kind.count(call.handle) != 0) return true;
    lastError_ = ERROR_INVALID_HANDLE;
    call.result = FALSE;
    return false;
}

ScHandle FakeServiceManager::NewHandle(std::set<ScHandle>& kind) {
    ScHandle handle = reinterpret_cast<ScHandle>(nextHandle_++);
    kind.insert(handle);
    opened.push_back(handle);
    return handle;
}

ScHandle FakeServiceManager::OpenManager(DWORD desiredAccess) {
    Call& call = Record("OpenManager", nullptr, desiredAccess);
    if (Fails(call)) return nullptr;
    call.opened = NewHandle(managers_);
    return call.opened;
}

ScHandle FakeServiceManager::OpenServiceByName(ScHandle manager, const std::wstring& serviceName, DWORD desiredAccess) {
    Call& call = Record("OpenServiceByName", manager, desiredAccess);
    call.serviceName = serviceName;
    if (Fails(call) || !CheckHandle(call, managers_)) return nullptr;
    if (serviceName != installedService) {
        lastError_ = ERROR_SERVICE_DOES_NOT_EXIST;
        call.result = FALSE;
        return nullptr;
    }
    call.opened = NewHandle(services_);
    return call.opened;
}

BOOL FakeServiceManager::ChangeStartType(ScHandle service, DWORD startType) {
    Call& call = Record("ChangeStartType", service, startType);
    if (Fails(call) || !CheckHandle(call, services_)) return call.result;
    return TRUE;
}

BOOL FakeServiceManager::Start(ScHandle service) {
    Call& call = Record("Start", service, 0);
    if (Fails(call) || !CheckHandle(call, services_)) return call.result;
    return TRUE;
}

BOOL FakeServiceManager::Control(ScHandle service, DWORD control) {
    Call& call = Record("Control", service, control);
    if (Fails(call) || !CheckHandle(call, services_)) return call.result;
    return TRUE;
}

BOOL FakeServiceManager::QueryStatus(ScHandle service, ServiceStatus& status) {
    if (++queries_ > queryLimit) {
        throw std::runtime_error("FakeServiceManager: the wait never ended");
    }
    Call& call = Record("QueryStatus", service, 0);
    if (Fails(call) || !CheckHandle(call, services_)) {
        status = failedQueryRecord;
        return call.result;
    }
    if (statuses.empty()) throw std::logic_error("FakeServiceManager: no status records scripted");
    status = statuses[played_ < statuses.size() ? played_ : statuses.size() - 1];
    ++played_;
    return TRUE;
}

ScHandle FakeServiceManager::CreateOwnProcessService(ScHandle manager, const std::wstring& serviceName,
                                                     const std::wstring&, const std::wstring&, DWORD startType) {
    Call& call = Record("CreateOwnProcessService", manager, startType);
    call.serviceName = serviceName;
    if (Fails(call) || !CheckHandle(call, managers_)) return nullptr;
    call.opened = NewHandle(services_);
    return call.opened;
}

BOOL FakeServiceManager::ChangeRegistration(ScHandle service, DWORD startType, const std::wstring&,
                                            const std::wstring&) {
    Call& call = Record("ChangeRegistration", service, startType);
    if (Fails(call) || !CheckHandle(call, services_)) return call.result;
    return TRUE;
}

BOOL FakeServiceManager::QueryBinaryPath(ScHandle service, std::wstring& binaryPath) {
    Call& call = Record("QueryBinaryPath", service, 0);
    if (Fails(call) || !CheckHandle(call, services_)) return call.result;
    binaryPath.clear();
    return TRUE;
}

BOOL FakeServiceManager::Delete(ScHandle service) {
    Call& call = Record("Delete", service, 0);
    if (Fails(call) || !CheckHandle(call, services_)) return call.result;
    return TRUE;
}

BOOL FakeServiceManager::Close(ScHandle handle) {
    Call& call = Record("Close", handle, 0);
    if (Fails(call)) return call.result;
    if (managers_.erase(handle) == 0 && services_.erase(handle) == 0) {
        lastError_ = ERROR_INVALID_HANDLE;
        call.result = FALSE;
        return FALSE;
    }
    closed.push_back(handle);
    lastError_ = ERROR_SUCCESS;
    return TRUE;
}

}  // namespace platform

// A scripted service control manager for unit tests. It records every call, hands out
// counters as handles, fails any call a test names with any error code, and plays back a
// sequence of status records. Time is the FakeClock's: only Sleep moves it.
#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "platform/fake/fake_seams.h"
#include "platform/service_manager.h"

namespace platform {

class FakeServiceManager : public ServiceManager {
public:
    struct Call {
        std::string name;         // the seam's method name, e.g. "OpenServiceByName"
        ScHandle handle;          // the handle passed in (null for OpenManager)
        DWORD argument;           // access mask, start type or control (0 where there is none)
        std::wstring serviceName; // OpenServiceByName only
        ScHandle opened;          // the handle an opening gave (null when it failed)
        BOOL result;              // what the call returned (nonzero for an opening that succeeded)
        DWORD tick;               // the clock when the call came
    };

    explicit FakeServiceManager(FakeClock& clock) : clock_(clock) {}

    // The service that exists; opening any other name fails with 1060.
    std::wstring installedService = L"QuentaraCorvexWorkstation_x64";
    // Records played back by successful queries, one each; the last one repeats.
    std::vector<ServiceStatus> statuses;
    // What a failing query leaves in the caller's record. It says "running" on purpose: code
    // that reads the record after a failed query gets a wrong answer and is caught.
    ServiceStatus failedQueryRecord{SERVICE_RUNNING, 0xDEADu, 0};
    // Guard against a wait that never ends: queries past this many throw std::runtime_error.
    int queryLimit = 10000;

    // Makes the `occurrence`-th call (1-based) of `callName` fail with `errorCode` as the last
    // error. `rawResult` is what the failing call returns (a query may be made to return a
    // nonzero value other than 1); openings always give a null handle.
    void FailCall(const std::string& callName, int occurrence, DWORD errorCode, BOOL rawResult = FALSE);

    std::vector<Call> calls;
    std::vector<ScHandle> opened;  // every handle handed out, in order
    std::vector<ScHandle> closed;  // every handle closed, in order

    std::vector<std::string> CallNames() const;
    std::vector<const Call*> CallsNamed(const std::string& name) const;
    std::set<ScHandle> OpenHandles() const;
    // Playback position: how many scripted records have been handed out.
    size_t RecordsPlayed() const { return played_; }

    ScHandle OpenManager(DWORD desiredAccess) override;
    ScHandle OpenServiceByName(ScHandle manager, const std::wstring& serviceName, DWORD desiredAccess) override;
    BOOL ChangeStartType(ScHandle service, DWORD startType) override;
    BOOL Start(ScHandle service) override;
    BOOL Control(ScHandle service, DWORD control) override;
    BOOL QueryStatus(ScHandle service, ServiceStatus& status) override;
    // Registration calls: recorded, and failed when a test names them.
    ScHandle CreateOwnProcessService(ScHandle manager, const std::wstring& serviceName, const std::wstring& displayName,
                                     const std::wstring& binaryPath, DWORD startType) override;
    BOOL ChangeRegistration(ScHandle service, DWORD startType, const std::wstring& binaryPath,
                            const std::wstring& displayName) override;
    BOOL QueryBinaryPath(ScHandle service, std::wstring& binaryPath) override;
    BOOL Delete(ScHandle service) override;
    // A successful close clears the last error, as some system calls do on success: code
    // that reads the error code of a failed call only after closing sees 0.
    BOOL Close(ScHandle handle) override;
    DWORD LastError() override { return lastError_; }

private:
    struct Failure {
        std::string name;
        int occurrence;
        DWORD errorCode;
        BOOL rawResult;
    };

    Call& Record(const std::string& name, ScHandle handle, DWORD argument);
    // Applies an injected failure to the call just recorded; true if it fails.
    bool Fails(Call& call);
    bool CheckHandle(Call& call, const std::set<ScHandle>& kind);
    ScHandle NewHandle(std::set<ScHandle>& kind);

    FakeClock& clock_;
    std::vector<Failure> failures_;
    std::set<ScHandle> managers_;
    std::set<ScHandle> services_;
    std::uintptr_t nextHandle_ = 0x100;
    size_t played_ = 0;
    int queries_ = 0;
    DWORD lastError_ = 0;
};

}  // namespace platform

// A service control manager for tests with one service. Starts and stops move its state;
// queries report that state, or play back the status records a test scripts. It records
// every call, hands out counters as handles, and fails any call a test names. As the system
// does, it refuses (5) a call its handle was not opened for, and a handle it never gave (6).
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <stdexcept>
#include <string>
#include <tuple>
#include <vector>

#include "platform/service_manager.h"

namespace platform {

class FakeServiceManager : public ServiceManager {
public:
    struct Call {
        std::string name;  // the seam's method name, e.g. "OpenServiceByName"
        ScHandle handle;   // the handle passed in (null for OpenManager)
        DWORD argument;    // access mask, start type or control (0 where there is none)
    };

    // The registered service: "" for none (opening fails with 1060; creating fails with 1073
    // while it exists). Starting a service that is not stopped fails with 1056, stopping a
    // stopped one with 1062.
    std::wstring installedService = L"QuentaraCorvexWorkstation_x64";
    DWORD state = SERVICE_STOPPED, stateAfterStart = SERVICE_RUNNING, stateAfterStop = SERVICE_STOPPED;
    DWORD startType = SERVICE_DEMAND_START;
    std::wstring binaryPath = L"\"C:\\Corvex\\CorvexWorkstation.exe\"", displayName = L"Corvex";
    std::vector<ServiceStatus> statuses;  // when given, queries play them in order, the last repeating
    int pendingQueries = -1;              // a start pending ends at the query after so many (-1: never)
    // What a failed query leaves in the caller's record: "running", so that code reading it is caught.
    ServiceStatus failedQueryRecord{SERVICE_RUNNING, 0xDEADu, 0};
    std::vector<Call> calls;
    std::vector<ScHandle> opened, closed;
    std::function<void(const char* request)> onRequest;  // runs at each "Start" or "Stop" request

    // Each handle a test's calls opened was closed once, and no other.
    ~FakeServiceManager() override { EXPECT_EQ(Sorted(closed), Sorted(opened)); }
    static std::vector<ScHandle> Sorted(std::vector<ScHandle> v) { return std::sort(v.begin(), v.end()), v; }

    // The `occurrence`-th call (1-based; 0 every call) of `name` fails with `error` as the last
    // error and returns `result` (openings return null).
    void FailCall(const std::string& name, int occurrence, DWORD error, BOOL result = FALSE) {
        failures_.emplace_back(name, occurrence, error, result);
    }
    int Count(const std::string& name) const {
        return int(std::count_if(calls.begin(), calls.end(), [&](const Call& c) { return c.name == name; }));
    }

    ScHandle OpenManager(DWORD access) override { return Go("OpenManager", nullptr, access) ? New(access) : nullptr; }
    ScHandle OpenServiceByName(ScHandle manager, const std::wstring& name, DWORD access) override {
        if (!Go("OpenServiceByName", manager, access)) return nullptr;
        return !name.empty() && name == installedService ? New(access) : Refuse(ERROR_SERVICE_DOES_NOT_EXIST, nullptr);
    }
    BOOL ChangeStartType(ScHandle service, DWORD type) override {
        return Go("ChangeStartType", service, type, SERVICE_CHANGE_CONFIG) ? (startType = type, TRUE) : result_;
    }
    BOOL Start(ScHandle service) override {
        if (onRequest) onRequest("Start");
        if (!Go("Start", service, 0, SERVICE_START)) return result_;
        return state != SERVICE_STOPPED ? Refuse(ERROR_SERVICE_ALREADY_RUNNING) : (state = stateAfterStart, TRUE);
    }
    BOOL Control(ScHandle service, DWORD control) override {
        if (onRequest) onRequest("Stop");
        if (!Go("Control", service, control, SERVICE_STOP)) return result_;
        return state == SERVICE_STOPPED ? Refuse(ERROR_SERVICE_NOT_ACTIVE, FALSE) : (state = stateAfterStop, TRUE);
    }
    BOOL QueryStatus(ScHandle service, ServiceStatus& status) override {
        if (Count("QueryStatus") > 10000) throw std::runtime_error("FakeServiceManager: the wait never ended");
        if (!Go("QueryStatus", service, 0, SERVICE_QUERY_STATUS)) return status = failedQueryRecord, result_;
        if (pendingQueries >= 0 && pendingQueries-- == 0 && state == SERVICE_START_PENDING) state = SERVICE_RUNNING;
        status = statuses.empty() ? ServiceStatus{state, 0, 0} : statuses[std::min(played_++, statuses.size() - 1)];
        return TRUE;
    }
    ScHandle CreateOwnProcessService(ScHandle manager, const std::wstring& name, const std::wstring& title,
                                     const std::wstring& path, DWORD type) override {
        // An existing service is told as such before any other refusal.
        if (!Go("CreateOwnProcessService", manager, type, SC_MANAGER_CREATE_SERVICE) && name != installedService)
            return nullptr;
        if (name == installedService) return Refuse(ERROR_SERVICE_EXISTS, nullptr);
        return installedService = name, state = SERVICE_STOPPED, startType = type, binaryPath = path,
               displayName = title, New(~0u);
    }
    BOOL ChangeRegistration(ScHandle s, DWORD type, const std::wstring& path, const std::wstring& title) override {
        return Go("ChangeRegistration", s, type, SERVICE_CHANGE_CONFIG)
                   ? (startType = type, binaryPath = path, displayName = title, TRUE)
                   : result_;
    }
    BOOL QueryBinaryPath(ScHandle service, std::wstring& path) override {
        return Go("QueryBinaryPath", service, 0, SERVICE_QUERY_CONFIG) ? (path = binaryPath, TRUE) : result_;
    }
    BOOL Delete(ScHandle s) override { return Go("Delete", s, 0, DELETE) ? (installedService.clear(), TRUE) : result_; }
    // A close clears the last error, as some system calls do on success.
    BOOL Close(ScHandle handle) override {
        return calls.push_back(Call{"Close", handle, 0}), closed.push_back(handle), lastError_ = 0, TRUE;
    }
    DWORD LastError() override { return lastError_; }

private:
    using Failure = std::tuple<std::string, int, DWORD, BOOL>;  // the call's name, occurrence, error, result
    // Records the call; false when an injected failure hits it, or when `handle` was not given by this
    // manager with the `rights` asked (opening a service asks none beyond the connection every manager has).
    bool Go(const char* name, ScHandle handle, DWORD argument, DWORD rights = 0) {
        calls.push_back(Call{name, handle, argument});
        for (const auto& [call, occurrence, error, result] : failures_)
            if (call == name && (occurrence == 0 || occurrence == Count(name))) return result_ = result, Refuse(error);
        const auto open = access_.find(handle);
        if (open != access_.end() && (open->second & rights) == rights) return true;
        return result_ = FALSE, Refuse(open == access_.end() ? ERROR_INVALID_HANDLE : ERROR_ACCESS_DENIED);
    }
    BOOL Refuse(DWORD error, BOOL result = FALSE) { return lastError_ = error, result; }
    ScHandle Refuse(DWORD error, ScHandle result) { return lastError_ = error, result; }
    ScHandle New(DWORD access) {
        return access_[opened.emplace_back(reinterpret_cast<ScHandle>(0x100 + opened.size()))] = access, opened.back();
    }

    std::vector<Failure> failures_;
    // The handles given, with the rights each was opened for; null, with none, for OpenManager's own call.
    std::map<ScHandle, DWORD> access_{{nullptr, 0}};
    size_t played_ = 0;
    DWORD lastError_ = 0;
    BOOL result_ = FALSE;
};

}  // namespace platform

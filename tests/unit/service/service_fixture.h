// The service controller over the scripted service manager and the virtual clock.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/fake/fake_service_manager.h"
#include "platform/platform.h"
#include "service/workstation_service.h"

namespace service_test {

enum class Operation { Start, Stop, IsRunning };

inline const char* NameOf(Operation operation) {
    switch (operation) {
        case Operation::Start: return "Start";
        case Operation::Stop: return "Stop";
        default: return "IsRunning";
    }
}

inline platform::ServiceStatus Status(DWORD state, DWORD checkPoint = 0, DWORD waitHint = 0) {
    platform::ServiceStatus status;
    status.currentState = state;
    status.checkPoint = checkPoint;
    status.waitHint = waitHint;
    return status;
}

class ServiceControlTest : public ::testing::Test {
protected:
    bool Run(Operation operation) {
        ServiceControl::WorkstationService service;
        switch (operation) {
            case Operation::Start: return service.Start();
            case Operation::Stop: return service.Stop();
            default: return service.IsRunning();
        }
    }

    // Every handle opened was closed, services before the manager.
    void ExpectAllClosedServiceFirst() {
        EXPECT_TRUE(services.OpenHandles().empty());
        std::vector<platform::ScHandle> reversed(services.opened.rbegin(), services.opened.rend());
        EXPECT_EQ(services.closed, reversed);
    }

    platform::FakeClock clock;
    platform::FakeServiceManager services{clock};
    platform::ScopedSeams seams{[this] {
        platform::Seams seams;
        seams.services = &services;
        seams.clock = &clock;
        return seams;
    }()};
};

}  // namespace service_test

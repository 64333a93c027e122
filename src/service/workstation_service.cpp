#include "service/workstation_service.h"

#include <boost/shared_ptr.hpp>

#include "platform/clock.h"
#include "platform/platform.h"
#include "platform/service_manager.h"
#include "service/implementation.h"

namespace ServiceControl {
namespace {

// Access masks: the same number opens the manager and the service.
const DWORD kStartAccess = SERVICE_CHANGE_CONFIG | SERVICE_QUERY_STATUS | SERVICE_START;  // 0x16
const DWORD kStopAccess = SERVICE_CHANGE_CONFIG | SERVICE_QUERY_STATUS | SERVICE_STOP;    // 0x26
const DWORD kQueryAccess = SERVICE_QUERY_STATUS;                                          // 0x4

const DWORD kShortestPause = 1000;
const DWORD kLongestPause = 10000;

// Only a return of exactly 1 counts as success.
bool Query(platform::ServiceManager& services, platform::ScHandle service, platform::ServiceStatus& status) {
    return services.QueryStatus(service, status) == 1;
}

// One tenth of the wait hint, kept between 1 and 10 seconds.
DWORD PauseFor(DWORD waitHint) {
    const DWORD pause = waitHint / 10;
    if (pause < kShortestPause) return kShortestPause;
    if (pause > kLongestPause) return kLongestPause;
    return pause;
}

// Waits while the service is in `pendingState` and keeps raising its checkpoint within its
// wait hint. A failed query ends the wait quietly; the caller's final query decides.
void WaitWhilePending(platform::ServiceManager& services, platform::ScHandle service, DWORD pendingState) {
    platform::Clock& clock = platform::GetClock();
    platform::ServiceStatus status;
    if (!Query(services, service, status)) return;

    DWORD startTick = clock.TickCount();
    DWORD lastCheckPoint = status.checkPoint;
    while (status.currentState == pendingState) {
        clock.Sleep(PauseFor(status.waitHint));
        if (!Query(services, service, status)) return;

        if (status.checkPoint > lastCheckPoint) {
            startTick = clock.TickCount();
            lastCheckPoint = status.checkPoint;
        } else if (static_cast<DWORD>(clock.TickCount() - startTick) > status.waitHint) {
            return;
        }
    }
}

// The state read into a fresh record equals `wanted`.
bool FinalStateIs(platform::ServiceManager& services, platform::ScHandle service, DWORD wanted) {
    platform::ServiceStatus status;
    return Query(services, service, status) && status.currentState == wanted;
}

// Sets the start type, sends the request, waits while pending and reads the final state.
// `request` gives the request's raw result.
template <typename Request>
bool Change(DWORD access, DWORD startType, Request request, DWORD pendingState, DWORD wantedState) {
    platform::ServiceManager& services = platform::GetServiceManager();
    boost::shared_ptr<Implementation> handles(new Implementation(access));

    if (!services.ChangeStartType(handles->service, startType)) ThrowError(services.LastError());
    if (!request(services, handles->service)) ThrowError(services.LastError());

    WaitWhilePending(services, handles->service, pendingState);
    return FinalStateIs(services, handles->service, wantedState);
}

}  // namespace

bool WorkstationService::Start() {
    return Change(
        kStartAccess, SERVICE_AUTO_START,
        [](platform::ServiceManager& services, platform::ScHandle service) { return services.Start(service); },
        SERVICE_START_PENDING, SERVICE_RUNNING);
}

bool WorkstationService::Stop() {
    return Change(
        kStopAccess, SERVICE_DEMAND_START,
        [](platform::ServiceManager& services, platform::ScHandle service) {
            return services.Control(service, SERVICE_CONTROL_STOP);
        },
        SERVICE_STOP_PENDING, SERVICE_STOPPED);
}

bool WorkstationService::IsRunning() {
    platform::ServiceManager& services = platform::GetServiceManager();
    boost::shared_ptr<Implementation> handles(new Implementation(kQueryAccess));

    platform::ServiceStatus status;
    if (!Query(services, handles->service, status)) ThrowError(services.LastError());
    return status.currentState == SERVICE_RUNNING;
}

bool WorkstationService::WaitWhileStarting() {
    platform::ServiceManager& services = platform::GetServiceManager();
    boost::shared_ptr<Implementation> handles(new Implementation(kQueryAccess));
    WaitWhilePending(services, handles->service, SERVICE_START_PENDING);
    return FinalStateIs(services, handles->service, SERVICE_RUNNING);
}

}  // namespace ServiceControl

// Starts, stops and queries the agent's Windows service.
#pragma once

namespace ServiceControl {

// Each call opens its own handles, does its one job, waits while the service is pending,
// reads the final state and closes the handles again; nothing is kept between calls.
// Failed calls to the service control manager throw ServiceControlException (or
// ServiceControlAccessDeniedException for code 5). Make one on the stack for each call.
class WorkstationService {
public:
    // Makes the service start with the system, starts it and waits while it is start
    // pending. True if it runs at the end.
    bool Start();
    // Makes the service start only on demand, sends it the stop control and waits while it
    // is stop pending. True if it is stopped at the end.
    bool Stop();
    // True only while the service is running (a pending state gives false).
    bool IsRunning();
    // Waits while the service is start pending, by the same rules as Start, and asks nothing
    // else of it. True if it runs at the end.
    bool WaitWhileStarting();
};

}  // namespace ServiceControl

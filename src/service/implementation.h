// The open handles of one service-control operation.
#pragma once

#include "platform/service_manager.h"
#include "platform/wintypes.h"

namespace ServiceControl {

// The agent's service, by its key name.
inline constexpr wchar_t kServiceName[] = L"QuentaraCorvexWorkstation_x64";

// Throws the exception for a failed call with the given error code: the access-denied
// exception for code 5, the plain one for any other code.
[[noreturn]] void ThrowError(DWORD errorCode);

// Opens the service control manager and the agent's service, both with the same access
// mask, and closes them again (the service first) when it goes. A failed opening throws
// and leaves nothing open.
class Implementation {
public:
    explicit Implementation(DWORD desiredAccess);
    ~Implementation();
    Implementation(const Implementation&) = delete;
    Implementation& operator=(const Implementation&) = delete;

    platform::ScHandle manager;
    platform::ScHandle service;
};

}  // namespace ServiceControl

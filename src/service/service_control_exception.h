// The service controller's errors. Both carry the system's error code of the failed call.
#pragma once

#include "platform/wintypes.h"

namespace ServiceControl {

// A service-control call failed. Thrown by value, caught by reference.
class ServiceControlException {
public:
    explicit ServiceControlException(DWORD code) : errorCode(code) {}

    DWORD errorCode;
};

// A service-control call was refused for lack of rights: the error code is always 5.
class ServiceControlAccessDeniedException : public ServiceControlException {
public:
    ServiceControlAccessDeniedException() : ServiceControlException(ERROR_ACCESS_DENIED) {}
};

}  // namespace ServiceControl

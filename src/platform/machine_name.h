// Seam: the name under which other machines know this computer.
#pragma once

#include <string>

namespace platform {

class MachineName {
public:
    virtual ~MachineName() = default;
    // The computer's network name (GetComputerNameW, the name the COMPUTERNAME variable
    // holds); empty when the system cannot tell.
    virtual std::wstring ComputerName() = 0;
};

}  // namespace platform

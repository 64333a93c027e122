// The firewall seam on Win32: the Windows Firewall with Advanced Security COM objects
// (INetFwPolicy2, INetFwRules, INetFwRule).
#pragma once

#include "platform/firewall.h"

namespace platform {

class Win32Firewall : public Firewall {
public:
    Lookup FindAllowRule(const std::wstring& executablePath) override;
    bool AddAllowRule(const std::wstring& executablePath, const std::wstring& ruleName) override;
    bool AppliesAllowRule(const std::wstring& executablePath) override;
    bool RemoveRules(const std::wstring& executablePath) override;
};

}  // namespace platform

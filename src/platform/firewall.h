// Seam: the firewall's rule list (Windows Firewall with Advanced Security).
#pragma once

#include <string>

namespace platform {

class Firewall {
public:
    enum class Lookup { found, notFound, failed };

    virtual ~Firewall() = default;
    // Looks for an enabled inbound rule that allows the program at `executablePath`
    // (compared without regard to case), whatever the rule's name. `failed` when the rule
    // list cannot be read.
    virtual Lookup FindAllowRule(const std::wstring& executablePath) = 0;
    // Adds an enabled inbound rule, for every profile and protocol, that allows the program
    // at `executablePath`, under the name `ruleName`. False when the firewall refused it.
    virtual bool AddAllowRule(const std::wstring& executablePath, const std::wstring& ruleName) = 0;
    // Whether the firewall applies an allow rule for the program at `executablePath`: false when
    // an enabled inbound rule blocks that program (blocking rules win over allowing ones), when a
    // policy overrides the rules kept on the machine or every inbound connection is blocked in a
    // current profile, and when this cannot be read.
    virtual bool AppliesAllowRule(const std::wstring& executablePath) = 0;
    // Removes every rule for the program at `executablePath` (compared without regard to
    // case), whatever its name. True when none is left; false when the rule list cannot be
    // read or a rule cannot be removed.
    virtual bool RemoveRules(const std::wstring& executablePath) = 0;
};

}  // namespace platform

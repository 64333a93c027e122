// A firewall for tests: an in-memory rule list, with failures that a test can switch on.
#pragma once

#include <string>
#include <vector>

#include "platform/firewall.h"

namespace platform {

class FakeFirewall : public Firewall {
public:
    struct Rule {
        std::wstring executablePath;
        std::wstring name;
        bool enabled = true;
        bool allows = true;
    };

    std::vector<Rule> rules;
    bool lookupFails = false;
    bool addRefused = false;      // the firewall refuses to add a rule
    bool addIsIgnored = false;    // the firewall says yes but stores nothing (as Wine does)
    int lookups = 0;
    int adds = 0;
    bool removeRefused = false;   // a rule cannot be removed

    Lookup FindAllowRule(const std::wstring& executablePath) override;
    bool AddAllowRule(const std::wstring& executablePath, const std::wstring& ruleName) override;
    bool RemoveRules(const std::wstring& executablePath) override;
};

}  // namespace platform

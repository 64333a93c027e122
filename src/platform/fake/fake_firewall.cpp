#include "platform/fake/fake_firewall.h"

#include "platform/command_line.h"

namespace platform {

Firewall::Lookup FakeFirewall::FindAllowRule(const std::wstring& executablePath) {
    ++lookups;
    if (lookupFails) return Lookup::failed;
    for (const auto& rule : rules) {
        if (rule.enabled && rule.allows && CompareNoCasePortable(rule.executablePath, executablePath) == 0) {
            return Lookup::found;
        }
    }
    return Lookup::notFound;
}

bool FakeFirewall::AddAllowRule(const std::wstring& executablePath, const std::wstring& ruleName) {
    ++adds;
    if (addRefused) return false;
    if (!addIsIgnored) rules.push_back(Rule{executablePath, ruleName, true, true});
    return true;
}

bool FakeFirewall::RemoveRules(const std::wstring& executablePath) {
    if (lookupFails) return false;
    for (auto rule = rules.begin(); rule != rules.end();) {
        if (CompareNoCasePortable(rule->executablePath, executablePath) != 0) {
            ++rule;
        } else if (removeRefused) {
            return false;
        } else {
            rule = rules.erase(rule);
        }
    }
    return true;
}

}  // namespace platform

// A firewall for tests: an in-memory rule list, with failures that a test can switch on.
#pragma once

#include <algorithm>
#include <string>
#include <vector>

#include "platform/command_line.h"
#include "platform/firewall.h"

namespace platform {

struct FakeFirewall : Firewall {
    struct Rule {
        std::wstring executablePath, name;
    };
    std::vector<Rule> rules;
    // The adds asked for, and the firewall's failure: 1 it says yes to an add but stores nothing (as
    // Wine does) and confirms no removal, 2 it refuses the add too, 3 its rules cannot be read.
    int adds = 0, failure = 0;
    static auto Same(const std::wstring& path) {
        return [path](const Rule& rule) { return CompareNoCasePortable(rule.executablePath, path) == 0; };
    }

    Lookup FindAllowRule(const std::wstring& path) override {
        if (failure == 3) return Lookup::failed;
        return std::any_of(rules.begin(), rules.end(), Same(path)) ? Lookup::found : Lookup::notFound;
    }
    bool AddAllowRule(const std::wstring& path, const std::wstring& ruleName) override {
        if (++adds, !failure) rules.push_back(Rule{path, ruleName});
        return failure < 2;
    }
    bool AppliesAllowRule(const std::wstring&) override { return true; }
    bool RemoveRules(const std::wstring& path) override {
        return rules.erase(std::remove_if(rules.begin(), rules.end(), Same(path)), rules.end()), !failure;
    }
};

}  // namespace platform

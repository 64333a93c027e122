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
    // The firewall says yes to an add but stores nothing (as Wine does), and confirms no removal.
    bool changesIgnored = false;
    int adds = 0;
    static auto Same(const std::wstring& path) {
        return [path](const Rule& rule) { return CompareNoCasePortable(rule.executablePath, path) == 0; };
    }

    Lookup FindAllowRule(const std::wstring& path) override {
        return std::any_of(rules.begin(), rules.end(), Same(path)) ? Lookup::found : Lookup::notFound;
    }
    bool AddAllowRule(const std::wstring& path, const std::wstring& ruleName) override {
        if (++adds, !changesIgnored) rules.push_back(Rule{path, ruleName});
        return true;
    }
    bool RemoveRules(const std::wstring& path) override {
        rules.erase(std::remove_if(rules.begin(), rules.end(), Same(path)), rules.end());
        return !changesIgnored;
    }
};

}  // namespace platform

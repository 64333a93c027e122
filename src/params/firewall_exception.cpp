#include "params/firewall_exception.h"

#include <exception>
#include <string>

#include "platform/firewall.h"
#include "platform/platform.h"

bool DisableWindowsFirewall(const wchar_t* executablePath, const wchar_t* entryName) {
    if (executablePath == nullptr || *executablePath == L'\0' || entryName == nullptr || *entryName == L'\0') {
        return false;
    }
    // Callers tell the result by an exit code, and a firewall failure must not stop an
    // installation, so nothing escapes from here.
    try {
        platform::Firewall& firewall = platform::GetFirewall();
        const std::wstring path(executablePath);
        switch (firewall.FindAllowRule(path)) {
        case platform::Firewall::Lookup::found: break;
        case platform::Firewall::Lookup::failed: return false;
        case platform::Firewall::Lookup::notFound:
            // Believe the rule list, not the answer to the add.
            if (!firewall.AddAllowRule(path, entryName)) return false;
            if (firewall.FindAllowRule(path) != platform::Firewall::Lookup::found) return false;
        }
        // A rule that a blocking rule or a policy overrides lets no server in.
        return firewall.AppliesAllowRule(path);
    } catch (const std::exception&) {
        return false;
    }
}

bool RemoveFirewallException(const wchar_t* executablePath) {
    if (executablePath == nullptr || *executablePath == L'\0') return false;
    try {
        return platform::GetFirewall().RemoveRules(executablePath);
    } catch (const std::exception&) {
        return false;
    }
}

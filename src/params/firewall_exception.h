// The firewall exception for the agent.
#pragma once

// Makes sure that an inbound allow rule exists for the program at `executablePath`, adding
// one named `entryName` when none does. Repeated calls add no second rule. True only when
// such a rule exists afterwards; false (never an exception) for empty arguments or when the
// firewall cannot be read or refuses the rule.
bool DisableWindowsFirewall(const wchar_t* executablePath, const wchar_t* entryName);

// Removes every firewall rule for the program at `executablePath`, whatever its name. True
// when none is left; false (never an exception) for an empty path or when the firewall
// cannot be read or keeps a rule.
bool RemoveFirewallException(const wchar_t* executablePath);

// The kit program's exit codes. They are the installer's own (docs/KIT.md), so the installer
// passes them on unchanged.
#pragma once

namespace KitExit {
constexpr int kSuccess = 0;
// A switch is unknown or its value is refused; nothing was changed.
constexpr int kBadSwitch = 10;
// The agent's settings could not be written (or the kit's own settings are damaged).
constexpr int kSettingsNotWritten = 11;
// The agent's service could not be registered (or, when uninstalling, removed).
constexpr int kServiceNotRegistered = 12;
// The agent's service does not run after the restart.
constexpr int kServiceNotRunning = 14;
// The firewall exception could not be confirmed (added, or when uninstalling, removed).
constexpr int kFirewallNotConfirmed = 16;
// Something unexpected ended the kit program.
constexpr int kUnexpected = 17;
}  // namespace KitExit

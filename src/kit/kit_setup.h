// The installer's settings, firewall and service work, done without a window. Each step's
// outcome is an exit code of the installer (kit_exit_codes.h) and a line in the log.
#pragma once

#include <string>
#include <vector>

#include "kit/installer_switches.h"
#include "kit/kit_log.h"
#include "platform/wintypes.h"

class CorvexParameters;

namespace kit {

struct KitResult {
    int code = 0;
    // For the administrator: why the run failed (empty after a success).
    std::wstring message;
    // StopAgent: a stop was asked of the running agent (done, refused or not finished), so its
    // service now starts on demand only.
    bool stopRequested = false;
};

class KitSetup {
public:
    // `installFolder`: the agent's installation folder. `kitFolder`: the kit program's own
    // folder, which holds the kit's predefined user.json and workstation.json.
    KitSetup(std::wstring installFolder, std::wstring kitFolder, KitLog& log);

    // Checks the switches' values and the kit's settings with them, changing nothing.
    KitResult Check(const std::vector<std::wstring>& arguments);
    // Saves the settings (the stored ones with the switches' values, or the kit's when there
    // are none, they are damaged or /RESETSETTINGS asks for it) and registers the service.
    // With `startAgent`, also adds the firewall exception and restarts the service.
    KitResult Install(const std::vector<std::wstring>& arguments, bool startAgent);
    // Refuses (kBadSwitch) an existing installation folder the agent must not run from: one that
    // users other than the administrators may change and that holds other programs' files, or
    // a file of the kit's that they may change. Changes nothing; the installer asks before it
    // stops the agent for the copy.
    KitResult CheckFolder() const;
    // Before the copy: protects the installation folder (made when missing) when it holds nothing
    // but the kit's files, and stops the agent's service if it runs, so that its files can be
    // replaced. Never fails: a file that cannot be replaced stops the installation afterwards.
    KitResult StopAgent();
    // After a StopAgent that asked for a stop, when the installation then failed: makes the
    // service automatic again and starts it unless it still runs.
    KitResult ResumeAgent();
    // Removes the service (when it runs this folder's agent) and the firewall exception; when
    // the service stays, so do the exception and the agent's running state.
    KitResult Uninstall();

private:
    KitResult ReadSwitches(const std::vector<std::wstring>& arguments, InstallerSwitches& switches);
    KitResult LoadKitSettings(CorvexParameters& parameters);
    KitResult Apply(const InstallerSwitches& switches, CorvexParameters& parameters);
    KitResult SaveSettings(const InstallerSwitches& switches);
    // Stops the agent if it runs and starts it; true when it runs afterwards, `restarted` false
    // when it runs on because its stop was refused or not done.
    bool RestartAgent(bool& restarted);
    bool StartAgent();
    // Logs and returns the failure to remove the service (system error `error`).
    KitResult NotRemoved(DWORD error);
    // Gives a folder that holds nothing but the kit's files (and is no link) the settings folder's
    // rights, logging a refusal; false, leaving it as it is, for any other.
    bool ProtectKitsFolder(const std::wstring& folder);
    std::wstring AgentPath() const;
    // The installation folder without its closing backslash ("D:" for a drive's root).
    std::wstring InstallationFolder() const;

    std::wstring installFolder_;
    std::wstring kitFolder_;
    KitLog& log_;
};

}  // namespace kit

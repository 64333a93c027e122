// The application object: start-up, the choice of run mode, the silent modes, and the
// small services that the dialogs share (switch test, agent path, firewall exception,
// service commands).
#pragma once

#include <memory>
#include <string>

#include "framework/afxwin.h"

class CSetupClientDlg;

class CSetupClientApp : public CWinApp {
public:
    CSetupClientApp();
    ~CSetupClientApp() override;

    const MessageMap* GetMessageMap() const override;
    // Registers the common controls, prepares the framework and runs exactly one run mode.
    // Always FALSE: the program ends when the run mode has.
    BOOL InitInstance() override;

    // The dialog of the current run mode; the caller owns it.
    virtual std::unique_ptr<CSetupClientDlg> CreateSettingsDialog();
    virtual BOOL IsCreatePacketMode();
    virtual BOOL IsSilentInstallMode();
    virtual BOOL IsInstallClientMode();
    virtual BOOL IsSilentInstallLocalMode();
    // Whether "--<option>" stands whole, in any letter case, among the arguments after the
    // program's own path. The command line is read and split afresh at every call.
    virtual BOOL HasCommandLineOption(const wchar_t* option);
    // The agent executable beside the configurator.
    virtual std::wstring GetWorkstationExePath();
    virtual void AddFirewallException();
    virtual const wchar_t* GetWorkstationExeName();
    // Service commands: errors end in a message box and FALSE, never in an exception.
    virtual BOOL StartService();
    virtual BOOL StopService();
    virtual BOOL RestartService(BOOL ignoreStopFailure);
    virtual BOOL IsServiceRunning();
    // Whether the service runs, asked without a message: a query that fails counts as not running.
    bool ServiceRunsNow();

private:
    void RunSilentInstall();
    void RunSilentLocalInstall();
};

// Process exit codes (see the README): a deployment tool can act on them.
namespace ExitCode {
constexpr int kSuccess = 0;
// Dialog modes: the dialog was closed without applying (Cancel, close button, Escape).
constexpr int kCancelled = 1;
// Silent modes, combined as bits: which step did not succeed.
constexpr int kServiceNotRunning = 1;
constexpr int kFirewallNotConfirmed = 2;
constexpr int kSettingsNotSaved = 4;
constexpr int kNotRestarted = 8;  // it runs, but on the settings it read before this run
// Something unexpected ended the run (also a dialog that could not be shown).
constexpr int kUnexpectedError = kExitUnexpectedError;
}  // namespace ExitCode

// The agent's executable, expected beside the configurator, and its firewall entry name.
extern const wchar_t* const kWorkstationExeName;
extern const wchar_t* const kFirewallEntryName;

#include "kit/kit_setup.h"

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "kit/kit_exit_codes.h"
#include "params/agent_store.h"
#include "params/corvex_parameters.h"
#include "params/settings_format.h"
#include "params/settings_store.h"
#include "platform/clock.h"
#include "platform/command_line.h"
#include "platform/file_system.h"
#include "platform/platform.h"
#include "platform/utf8.h"
#include "service/service_control_exception.h"
#include "service/service_registration.h"
#include "service/workstation_service.h"

namespace kit {
namespace {

const wchar_t kAgentExe[] = L"CorvexWorkstation.exe";
const wchar_t kFirewallEntryName[] = L"Corvex Workstation x64";
// Below the kit program's folder: where Check lets the library validate by saving.
const wchar_t kCheckFolder[] = L"check\\";

std::wstring WithBackslash(const std::wstring& folder) {
    return !folder.empty() && folder.back() == L'\\' ? folder : folder + L"\\";
}

// An exception's text (the library's messages are UTF-8).
std::wstring Widen(const char* text) {
    std::wstring wide;
    if (platform::Utf8ToWide(text, wide)) return wide;
    return std::wstring(text, text + std::char_traits<char>::length(text));
}

std::wstring SystemError(DWORD code) { return L"system error " + std::to_wstring(code); }

KitResult Failure(int code, const std::wstring& message) { return KitResult{code, message}; }

// Whether a name in the installation folder is one of the files the kit installs.
bool IsKitsFile(const std::wstring& name) {
    const auto same = [](const std::wstring& a, const wchar_t* b) {
        return platform::CompareNoCasePortable(a, b) == 0;
    };
    const bool library = name.size() >= 21 && same(name.substr(0, 17), L"NetworkParameters") &&
                         same(name.substr(name.size() - 4), L".dll");
    return library || same(name, kAgentExe) || same(name, L"SetupClient.exe") || same(name, L"Uninstall.exe");
}

// Whether a folder holds nothing but what the kit installs. Only such a folder's rights are the
// kit's to change: the system carries them down to everything in it.
bool HoldsOnlyTheKitsFiles(const std::wstring& folder) {
    std::vector<std::wstring> names;
    if (platform::GetFileSystem().ListFolder(folder, names) != ERROR_SUCCESS) return false;
    for (const std::wstring& name : names) {
        if (!IsKitsFile(name)) return false;
    }
    return true;
}

// Whether someone other than the administrators may change what lies at a path: it belongs to
// another user, or its rights let others change it. Rights that cannot be read count as such.
bool OthersMayChange(const std::wstring& path) {
    platform::FolderOwnership ownership;
    return platform::GetFileSystem().GetOwnership(path, ownership) != ERROR_SUCCESS ||
           !ownership.ownerIsAdministrator || ownership.othersMayChange;
}

// Whether entries of a file's own let someone other than the administrators change it: what it
// inherits, the folder's protection replaces. A file whose rights cannot be read (a drive
// without access lists) is left to that protection, which the log tells about.
bool OwnRightsLetOthersChange(const std::wstring& path) {
    platform::FolderOwnership ownership;
    return platform::GetFileSystem().GetOwnership(path, ownership) == ERROR_SUCCESS &&
           (!ownership.ownerIsAdministrator || ownership.othersMayChangeItsOwn);
}

// Why the agent, which runs as the system, must not run from an existing installation folder
// (empty when it may). A folder that only administrators may change is fine, and so is one that
// holds nothing but the kit's files, which the installation protects (an earlier installation's
// or an interrupted one's too); but the kit leaves the rights of a folder shared with other
// programs as they are, and a protected folder's rights do not reach a file in it that has
// rights of its own.
std::wstring WhyTheFolderIsUnsafe(const std::wstring& folder) {
    if (platform::GetFileSystem().GetAttributes(folder) == INVALID_FILE_ATTRIBUTES || !OthersMayChange(folder)) {
        return std::wstring();
    }
    std::vector<std::wstring> names;
    if (platform::GetFileSystem().ListFolder(folder, names) != ERROR_SUCCESS) return L"cannot be listed";
    for (const std::wstring& name : names) {
        if (!IsKitsFile(name)) return L"holds other programs' files (" + name + L")";
        if (OwnRightsLetOthersChange(folder + L"\\" + name)) return L"holds " + name + L", which they may change too";
    }
    return std::wstring();
}

bool IsLink(const std::wstring& path) {
    const DWORD attributes = platform::GetFileSystem().GetAttributes(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

// Why the agent must not run from the installation folder, told whole (empty when it may). Whoever
// made a link there may point it elsewhere, or own what it leads to.
std::wstring FolderRefusal(const std::wstring& folder) {
    if (IsLink(folder)) {
        return L"The installation folder " + folder +
               L" is a link (a junction or symbolic link) to another place: the agent, which runs as the system, "
               L"must not run from there. Choose a folder of its own.";
    }
    const std::wstring why = WhyTheFolderIsUnsafe(folder);
    if (why.empty()) return why;
    return L"Users who are not administrators may change the installation folder " + folder + L", and it " + why +
           L": the agent, which runs as the system, must not run from there. Choose a folder of its own, or one "
           L"that only administrators may change.";
}

// Which of the agent's two stored files hold settings of ours: a file that is missing or
// damaged gives the kit's values for its part, the other keeps what is stored. A file that is
// there but cannot be read is neither: nothing is written over it.
struct StoredFiles {
    bool user = false;
    bool workstation = false;
    std::wstring unreadable;  // the first file that could not be read, and why
};

// A file that another program holds for a moment (an indexer, a virus scanner, a backup) is
// read again, up to ten times 0.1 s apart, as the store retries its replace.
template <typename Parse>
bool HoldsSettings(const std::wstring& path, Parse parse, std::wstring& unreadable) {
    std::string bytes;
    DWORD code = platform::GetFileSystem().ReadWholeFile(path, params::kMaxSettingsFileBytes, bytes);
    for (int pause = 0; pause < 10 && (code == ERROR_SHARING_VIOLATION || code == ERROR_LOCK_VIOLATION); ++pause) {
        platform::GetClock().Sleep(100);
        code = platform::GetFileSystem().ReadWholeFile(path, params::kMaxSettingsFileBytes, bytes);
    }
    if (code != ERROR_SUCCESS) {
        // A file above the size limit is no damaged one: the library refuses to read it, so the
        // other file's values could not be kept either.
        const bool missing = code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND;
        if (!missing && unreadable.empty()) {
            unreadable = L"The settings file \"" + path + L"\" cannot be read (" + SystemError(code) + L").";
        }
        return false;
    }
    try {
        parse(bytes, L"client");
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

StoredFiles IntactStoredFiles() {
    const std::wstring store = params::AgentSettingsDir();
    StoredFiles stored;
    stored.user = HoldsSettings(store + params::kUserSettingsFile, params::ParseUserSettings, stored.unreadable);
    stored.workstation =
        HoldsSettings(store + params::kWorkstationSettingsFile, params::ParseWorkstationSettings, stored.unreadable);
    return stored;
}

// The switch whose value the library refused, or nullptr when the value came from elsewhere.
const wchar_t* SwitchOf(const void* field, const InstallerSwitches& switches) {
    if (field == nullptr) return nullptr;
    if (field == &switches.server.text) return L"/SERVER=";
    if (field == &switches.port.text) return L"/PORT=";
    if (field == &switches.login.text) return L"/LOGIN=";
    if (field == &switches.name.text) return L"/NAME=";
    return nullptr;
}

// A port given as text: digits only, then the library's range.
bool ParsePort(const std::wstring& text, unsigned long& port) {
    if (text.empty() || text.size() > 9) return false;
    port = 0;
    for (wchar_t c : text) {
        if (c < L'0' || c > L'9') return false;
        port = port * 10 + static_cast<unsigned long>(c - L'0');
    }
    return true;
}

}  // namespace

KitSetup::KitSetup(std::wstring installFolder, std::wstring kitFolder, KitLog& log)
    : installFolder_(WithBackslash(installFolder)), kitFolder_(WithBackslash(kitFolder)), log_(log) {}

std::wstring KitSetup::AgentPath() const { return installFolder_ + kAgentExe; }

std::wstring KitSetup::InstallationFolder() const { return installFolder_.substr(0, installFolder_.size() - 1); }

KitResult KitSetup::ReadSwitches(const std::vector<std::wstring>& arguments, InstallerSwitches& switches) {
    std::wstring error;
    if (!ReadInstallerSwitches(arguments, switches, error)) return Failure(KitExit::kBadSwitch, error);
    return KitResult{};
}

KitResult KitSetup::LoadKitSettings(CorvexParameters& parameters) {
    // The kit's two files are its own input, both written by its build: where one is missing or
    // damaged, the library would take the defaults for its part (localhost, Administrator).
    const auto refused = [this](const wchar_t* name, auto parse) -> std::wstring {
        std::string bytes;
        const DWORD code =
            platform::GetFileSystem().ReadWholeFile(kitFolder_ + name, params::kMaxSettingsFileBytes, bytes);
        if (code != ERROR_SUCCESS) return std::wstring(name) + L" cannot be read (" + SystemError(code) + L")";
        try {
            parse(bytes, L"client");
        } catch (const std::exception& e) {
            return std::wstring(name) + L" is damaged: " + Widen(e.what());
        }
        return std::wstring();
    };
    std::wstring why = refused(params::kUserSettingsFile, params::ParseUserSettings);
    if (why.empty()) why = refused(params::kWorkstationSettingsFile, params::ParseWorkstationSettings);
    if (!why.empty()) {
        return Failure(KitExit::kSettingsNotWritten,
                       L"The kit's own settings cannot be used: its " + why + L". Build the kit again.");
    }
    try {
        parameters.Load(kitFolder_, kitFolder_);
    } catch (const std::runtime_error& e) {
        return Failure(KitExit::kSettingsNotWritten, L"The kit's own settings cannot be used: " + Widen(e.what()));
    }
    return KitResult{};
}

KitResult KitSetup::Apply(const InstallerSwitches& switches, CorvexParameters& parameters) {
    // Each setter gets the switch's own text, so that a refusal names the switch.
    if (switches.server.given || switches.port.given) {
        const std::wstring storedHost = parameters.GetCoordinatorHost();
        unsigned long port = parameters.GetCoordinatorPort();
        if (switches.port.given) {
            if (!ParsePort(switches.port.text, port)) {
                return Failure(KitExit::kBadSwitch,
                               L"/PORT=: The server port must be a whole number from 1 to 65535, written with at "
                               L"most nine digits and no blanks.");
            }
            try {
                CorvexParameters::CheckPort(port, &switches.port.text);
            } catch (const CorvexParameters::ValidationError& e) {
                return Failure(KitExit::kBadSwitch, L"/PORT=: " + e.GetText());
            }
        }
        parameters.SetCoordinator(switches.server.given ? switches.server.text : storedHost,
                                  static_cast<unsigned short>(port), CorvexParameters::Defaults::isSecured);
    }
    if (switches.login.given) parameters.SetUserName(switches.login.text);
    // An empty name stands for the computer's network name.
    if (switches.name.given) parameters.SetClientName(switches.name.text, switches.name.text.empty());
    return KitResult{};
}

KitResult KitSetup::Check(const std::vector<std::wstring>& arguments) {
    InstallerSwitches switches;
    KitResult result = ReadSwitches(arguments, switches);
    if (result.code != 0) return result;
    std::unique_ptr<CorvexParameters> parameters(new CorvexParameters(L"client"));
    result = LoadKitSettings(*parameters);
    if (result.code != 0) return result;
    result = Apply(switches, *parameters);
    if (result.code != 0) return result;
    try {
        // The library validates every value as it saves; a scratch copy beside the kit
        // program leaves the machine as it was.
        parameters->Save(kitFolder_ + kCheckFolder, kitFolder_ + kCheckFolder);
    } catch (const CorvexParameters::ValidationError& e) {
        const wchar_t* which = SwitchOf(e.GetField(), switches);
        if (which != nullptr) return Failure(KitExit::kBadSwitch, which + (L": " + e.GetText()));
        return Failure(KitExit::kSettingsNotWritten, L"The kit's own settings are refused: " + e.GetText());
    } catch (const std::runtime_error& e) {
        return Failure(KitExit::kSettingsNotWritten, L"The settings could not be checked: " + Widen(e.what()));
    }
    log_.Write(L"The switches and the kit's settings are valid.");
    return KitResult{};
}

KitResult KitSetup::SaveSettings(const InstallerSwitches& switches) {
    StoredFiles stored = switches.resetSettings ? StoredFiles{} : IntactStoredFiles();
    if (!stored.unreadable.empty()) {
        // The library tells why best (a folder in the file's place, a file held by another program).
        std::wstring why = stored.unreadable;
        try {
            CorvexParameters(L"client").Load();
        } catch (const std::runtime_error& e) {
            why = Widen(e.what());
        }
        return Failure(KitExit::kSettingsNotWritten, L"The agent's stored settings were left as they were: " + why);
    }
    for (;;) {
        std::unique_ptr<CorvexParameters> parameters(new CorvexParameters(L"client"));
        KitResult result = LoadKitSettings(*parameters);
        if (result.code != 0) return result;
        if (stored.user || stored.workstation) {
            // Start from what is stored (its flags included) and give the part of a missing or
            // damaged file the kit's values.
            std::unique_ptr<CorvexParameters> kit(std::move(parameters));
            parameters.reset(new CorvexParameters(L"client"));
            try {
                parameters->Load();
            } catch (const std::runtime_error& e) {
                // They held settings a moment ago: held by another program since, or refused by the
                // store, they are not taken for damaged ones.
                return Failure(KitExit::kSettingsNotWritten,
                               L"The agent's stored settings were left as they were: " + Widen(e.what()));
            }
            if (!stored.user) {
                parameters->SetUserName(kit->GetAllowedUserName());
                parameters->SetCoordinator(kit->GetCoordinatorHost(), kit->GetCoordinatorPort(),
                                           CorvexParameters::Defaults::isSecured);
            }
            if (!stored.workstation) parameters->SetClientName(kit->GetClientName(), false);
            if (!stored.user || !stored.workstation) {
                log_.Write(std::wstring(L"The stored ") +
                           (stored.user ? L"workstation name is" : L"connection settings are") +
                           L" missing or damaged; the kit's replace them.");
            }
        }
        result = Apply(switches, *parameters);
        if (result.code != 0) return result;
        try {
            parameters->Save(true);
        } catch (const CorvexParameters::ValidationError& e) {
            const wchar_t* which = SwitchOf(e.GetField(), switches);
            if (which != nullptr) return Failure(KitExit::kBadSwitch, which + (L": " + e.GetText()));
            if (stored.user || stored.workstation) {
                log_.Write(L"A stored setting is refused (" + e.GetText() + L"); the kit's settings replace them.");
                stored = StoredFiles{};
                continue;
            }
            return Failure(KitExit::kSettingsNotWritten, L"The kit's own settings are refused: " + e.GetText());
        } catch (const std::runtime_error& e) {
            return Failure(KitExit::kSettingsNotWritten,
                           L"The agent's settings could not be written: " + Widen(e.what()));
        }
        log_.Write(std::wstring(stored.user || stored.workstation ? L"Kept the stored settings"
                                                                  : L"Wrote the kit's settings") +
                   L" with the switches' values: server " + parameters->GetCoordinatorHost() + L", port " +
                   std::to_wstring(parameters->GetCoordinatorPort()) + L", login " + parameters->GetAllowedUserName() +
                   L", workstation name \"" + parameters->GetClientName() + L"\".");
        return KitResult{};
    }
}

KitResult KitSetup::Install(const std::vector<std::wstring>& arguments, bool startAgent) {
    InstallerSwitches switches;
    KitResult result = ReadSwitches(arguments, switches);
    if (result.code != 0) return result;
    if (switches.resetSettings) log_.Write(L"/RESETSETTINGS: the kit's settings replace the stored ones.");
    result = SaveSettings(switches);
    if (result.code != 0) return result;

    // A folder outside the system's program folders keeps what its drive lets every user do,
    // and the agent runs as the system: only administrators may change what lies in it. A
    // drive's root keeps its own rights, and so does a folder that other programs share, which
    // the agent may use only when nobody else may change it.
    const std::wstring folder = InstallationFolder();
    if (folder.find(L'\\') != std::wstring::npos && !ProtectKitsFolder(folder)) {
        const std::wstring refusal = FolderRefusal(folder);
        if (!refusal.empty()) return Failure(KitExit::kServiceNotRegistered, refusal);
        log_.Write(
            L"The installation folder holds other programs' files (or cannot be listed), so its rights were left "
            L"as they were: only administrators may change it.");
    }
    try {
        ServiceControl::ServiceRegistration().Register(AgentPath());
    } catch (const ServiceControl::ServiceControlException& e) {
        if (e.errorCode == ERROR_SERVICE_MARKED_FOR_DELETE) {
            return Failure(KitExit::kServiceNotRegistered,
                           L"The agent's earlier service is still being removed (system error 1072): close the "
                           L"Services console and any other program that shows services, or restart the computer, "
                           L"then run the kit again.");
        }
        return Failure(KitExit::kServiceNotRegistered,
                       L"The agent's service could not be registered (" + SystemError(e.errorCode) + L").");
    }
    log_.Write(L"Registered the service for " + AgentPath() + L".");
    if (!startAgent) return KitResult{};

    const bool firewall = DisableWindowsFirewall(AgentPath().c_str(), kFirewallEntryName);
    log_.Write(firewall ? L"The firewall exception is in place." : L"The firewall exception could not be confirmed.");
    bool restarted = false;
    if (!RestartAgent(restarted)) {
        return Failure(KitExit::kServiceNotRunning, L"The agent's service does not run (see the log).");
    }
    if (!restarted) {
        // It runs, but as it started: an earlier folder's program, settings read before this run.
        return Failure(KitExit::kServiceNotRunning,
                       L"The agent's service could not be restarted: it still runs the program and the settings it "
                       L"started with. Restart the service, or run the kit again.");
    }
    log_.Write(L"The agent's service runs.");
    if (!firewall) {
        return Failure(KitExit::kFirewallNotConfirmed, L"The firewall exception for the agent could not be confirmed.");
    }
    return KitResult{};
}

// A start in progress is waited for, here and before every stop: the agent holds its program
// file while it starts, and may have read its settings before they were written.
bool KitSetup::RestartAgent(bool& restarted) {
    restarted = true;
    try {
        if (ServiceControl::WorkstationService().WaitWhileStarting()) {
            try {
                restarted = ServiceControl::WorkstationService().Stop();
                if (!restarted) log_.Write(L"The service did not stop.");
            } catch (const ServiceControl::ServiceControlException& e) {
                restarted = false;
                log_.Write(L"The service could not be stopped (" + SystemError(e.errorCode) + L").");
            }
        }
    } catch (const ServiceControl::ServiceControlException& e) {
        log_.Write(L"The service could not be started (" + SystemError(e.errorCode) + L").");
        return false;
    }
    return StartAgent();
}

// Starts the service, automatic from then on; a start refused as already running counts when
// the agent runs once its start in progress, if any, has ended.
bool KitSetup::StartAgent() {
    try {
        if (ServiceControl::WorkstationService().Start()) return true;
        log_.Write(L"The service did not reach the running state.");
    } catch (const ServiceControl::ServiceControlException& e) {
        log_.Write(L"The service could not be started (" + SystemError(e.errorCode) + L").");
        if (e.errorCode == ERROR_SERVICE_ALREADY_RUNNING) {
            try {
                return ServiceControl::WorkstationService().WaitWhileStarting();
            } catch (const ServiceControl::ServiceControlException&) {
            }
        }
    }
    return false;
}

KitResult KitSetup::CheckFolder() const {
    const std::wstring folder = InstallationFolder();
    if (folder.find(L'\\') == std::wstring::npos) return KitResult{};  // a drive's root
    const std::wstring refusal = FolderRefusal(folder);
    return refusal.empty() ? KitResult{} : Failure(KitExit::kBadSwitch, refusal);
}

bool KitSetup::ProtectKitsFolder(const std::wstring& folder) {
    if (IsLink(folder) || !HoldsOnlyTheKitsFiles(folder)) return false;
    if (const DWORD code = platform::GetFileSystem().RestrictToAdministrators(folder)) {
        log_.Write(L"The installation folder could not be protected (" + SystemError(code) + L").");
    }
    return true;
}

KitResult KitSetup::StopAgent() {
    // The folder is protected before the copy (made first when missing), so that the programs
    // copied in never lie where other users may change them, an installation that fails
    // afterwards included. One the check refused, or that other programs share, is left to it.
    platform::FileSystem& files = platform::GetFileSystem();
    const std::wstring folder = InstallationFolder();
    if (folder.find(L'\\') != std::wstring::npos &&
        (files.GetAttributes(folder) != INVALID_FILE_ATTRIBUTES || files.CreateFolders(folder) == ERROR_SUCCESS)) {
        ProtectKitsFolder(folder);
    }
    KitResult result;
    try {
        if (!ServiceControl::ServiceRegistration().IsRegistered()) return result;
        if (!ServiceControl::WorkstationService().WaitWhileStarting()) return result;
        result.stopRequested = true;
        log_.Write(ServiceControl::WorkstationService().Stop() ? L"Stopped the service."
                                                               : L"The service did not stop.");
    } catch (const ServiceControl::ServiceControlException& e) {
        log_.Write(L"The service could not be stopped (" + SystemError(e.errorCode) + L").");
    }
    return result;
}

KitResult KitSetup::ResumeAgent() {
    if (!StartAgent()) return Failure(KitExit::kServiceNotRunning, L"The agent's service does not run (see the log).");
    log_.Write(L"The service runs again and starts automatically.");
    return KitResult{};
}

KitResult KitSetup::NotRemoved(DWORD error) {
    const KitResult result = Failure(KitExit::kServiceNotRegistered,
                                     L"The agent's service could not be removed (" + SystemError(error) + L").");
    log_.Write(result.message);
    return result;
}

KitResult KitSetup::Uninstall() {
    try {
        ServiceControl::ServiceRegistration registration;
        if (!registration.IsRegistered()) {
            log_.Write(L"No service to remove.");
        } else if (!ServiceControl::RunsProgram(registration.AgentPath(), AgentPath())) {
            log_.Write(L"The service runs another installation's agent; it is left as it is.");
        } else {
            bool stopAsked = false;
            try {
                stopAsked = ServiceControl::WorkstationService().WaitWhileStarting();
                if (stopAsked && !ServiceControl::WorkstationService().Stop()) log_.Write(L"The service did not stop.");
            } catch (const ServiceControl::ServiceControlException& e) {
                log_.Write(L"The service could not be stopped (" + SystemError(e.errorCode) + L").");
            }
            try {
                registration.Remove();
                log_.Write(L"Removed the service.");
            } catch (const ServiceControl::ServiceControlException& e) {
                // The product stays for another run: the agent stopped for the removal runs again,
                // automatic as it was, and keeps its firewall exception.
                const KitResult result = NotRemoved(e.errorCode);
                if (stopAsked && StartAgent()) log_.Write(L"The service runs again and starts automatically.");
                return result;
            }
        }
    } catch (const ServiceControl::ServiceControlException& e) {
        return NotRemoved(e.errorCode);
    }
    if (!RemoveFirewallException(AgentPath().c_str())) {
        log_.Write(L"The removal of the firewall exception could not be confirmed.");
        return Failure(KitExit::kFirewallNotConfirmed,
                       L"The removal of the firewall exception could not be confirmed.");
    }
    log_.Write(L"No firewall exception for " + AgentPath() + L" is left.");
    return KitResult{};
}

}  // namespace kit

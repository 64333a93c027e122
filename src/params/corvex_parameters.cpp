#include "params/corvex_parameters.h"

#include <stdexcept>
#include <vector>

#include "params/agent_store.h"
#include "params/settings_format.h"
#include "params/settings_store.h"
#include "params/validation_rules.h"
#include "platform/platform.h"
#include "platform/utf8.h"

// The agent's default server port.
const unsigned short CorvexParameters::Defaults::coordinatorPort = 9750;
const bool CorvexParameters::Defaults::isSecured = false;

namespace {

const wchar_t kDefaultHost[] = L"localhost";
const wchar_t kDefaultLogin[] = L"Administrator";

std::wstring RequireFolder(const std::wstring& folder, const char* which) {
    if (folder.empty()) throw std::invalid_argument(std::string("The ") + which + " settings folder is empty.");
    return params::WithTrailingBackslash(folder);
}

// A damaged file's message: what is wrong, what to do, and where a save keeps it.
std::string Damaged(const std::wstring& path, const std::exception& reason) {
    return "The settings file \"" + platform::WideToUtf8Lossy(path) + "\" is damaged: " + reason.what() +
           ". Correct the file or delete it (the default settings are used when it is missing); a save keeps it "
           "beside the store as \"" +
           platform::WideToUtf8Lossy(path + params::kDamagedSuffix) + "<date>-<time>\".";
}

}  // namespace

CorvexParameters::CorvexParameters(const wchar_t* role) {
    if (role == nullptr || *role == L'\0') throw std::invalid_argument("The parameters role name is empty.");
    role_ = role;
    LoadSystemDefaults();
}

CorvexParameters::~CorvexParameters() = default;

void CorvexParameters::LoadSystemDefaults() {
    host_ = kDefaultHost;
    hostField_ = nullptr;
    port_ = Defaults::coordinatorPort;
    secured_ = Defaults::isSecured;
    login_ = kDefaultLogin;
    loginField_ = nullptr;
    clientName_.clear();
    clientNameField_ = nullptr;
    clientNameSystemSupplied_ = true;
}

void CorvexParameters::Load() {
    const std::wstring folder = params::AgentSettingsDir();
    Fetch(folder, folder, params::ProgramDataDir());
}

void CorvexParameters::Load(const std::wstring& userDir, const std::wstring& workstationDir) {
    Fetch(RequireFolder(userDir, "user"), RequireFolder(workstationDir, "workstation"), std::wstring());
}

void CorvexParameters::Fetch(const std::wstring& userDir, const std::wstring& workstationDir,
                             const std::wstring& guardedBelow) {
    const std::wstring userPath = userDir + params::kUserSettingsFile;
    const std::wstring workstationPath = workstationDir + params::kWorkstationSettingsFile;
    params::SettingsStore store(platform::GetFileSystem(), guardedBelow);

    // Both files are read and understood before any value changes. Each counts alone: a
    // damaged file beside an intact one leaves its own values at the defaults (a save keeps
    // it beside the store); only a store with nothing intact is an error.
    params::UserSettings user{kDefaultHost, Defaults::coordinatorPort, Defaults::isSecured, kDefaultLogin};
    params::WorkstationSettings workstation{std::wstring(), true};
    std::string damage;
    bool intact = false;
    std::string bytes;
    if (store.ReadIfPresent(userPath, bytes)) {
        try {
            user = params::ParseUserSettings(bytes, role_);
            intact = true;
        } catch (const std::runtime_error& e) {
            damage = Damaged(userPath, e);
        }
    }
    if (store.ReadIfPresent(workstationPath, bytes)) {
        try {
            workstation = params::ParseWorkstationSettings(bytes, role_);
            intact = true;
        } catch (const std::runtime_error& e) {
            damage += (damage.empty() ? "" : " ") + Damaged(workstationPath, e);
        }
    }
    if (!intact && !damage.empty()) throw std::runtime_error(damage);

    host_ = user.serverHost;
    port_ = user.serverPort;
    secured_ = user.secured;
    login_ = user.login;
    clientName_ = workstation.name;
    clientNameSystemSupplied_ = workstation.systemSupplied;
    hostField_ = loginField_ = clientNameField_ = nullptr;
}

void CorvexParameters::Save(bool createStore) const {
    ValidateAll();
    const std::wstring folder = params::AgentSettingsDir();
    Store(folder, folder, createStore, params::ProgramDataDir());
}

void CorvexParameters::Save(const std::wstring& userDir, const std::wstring& workstationDir) const {
    ValidateAll();
    Store(RequireFolder(userDir, "user"), RequireFolder(workstationDir, "workstation"), true, std::wstring());
}

// In the order the dialogs show the values, top to bottom: host, port, login, name.
void CorvexParameters::ValidateAll() const {
    std::wstring message = params::CheckServerHost(host_);
    if (!message.empty()) throw ValidationError(message, hostField_);
    CheckPort(port_, nullptr);
    message = params::CheckLogin(login_);
    if (!message.empty()) throw ValidationError(message, loginField_);
    message = params::CheckWorkstationName(clientName_);
    if (!message.empty()) throw ValidationError(message, clientNameField_);
}

void CorvexParameters::Store(const std::wstring& userDir, const std::wstring& workstationDir, bool createFolders,
                             const std::wstring& guardedBelow) const {
    const params::UserSettings user{host_, port_, secured_, login_};
    // An empty name, typed, set or loaded, means "use the computer's network name": it is stored
    // as the system-supplied empty name that the defaults and the kit store.
    const params::WorkstationSettings workstation{clientName_, clientNameSystemSupplied_ || clientName_.empty()};
    const std::wstring role = role_;
    std::vector<params::PendingFile> files;
    files.push_back({userDir, params::kUserSettingsFile, params::FormatUserSettings(user, role_),
                     [role](const std::string& bytes) { params::ParseUserSettings(bytes, role); }});
    files.push_back({workstationDir, params::kWorkstationSettingsFile,
                     params::FormatWorkstationSettings(workstation, role_),
                     [role](const std::string& bytes) { params::ParseWorkstationSettings(bytes, role); }});
    params::SettingsStore(platform::GetFileSystem(), guardedBelow).WriteAll(files, createFolders);
}

const std::wstring& CorvexParameters::GetCoordinatorHost() const { return host_; }

const std::wstring& CorvexParameters::GetClientName() const { return clientName_; }

const std::wstring& CorvexParameters::GetAllowedUserName() const { return login_; }

unsigned short CorvexParameters::GetCoordinatorPort() const { return port_; }

void CorvexParameters::SetCoordinator(const std::wstring& host, unsigned short port, bool secured) {
    host_ = host;
    hostField_ = &host;
    port_ = port;
    secured_ = secured;
}

void CorvexParameters::SetClientName(const std::wstring& name, bool systemSupplied) {
    clientName_ = name;
    clientNameField_ = &name;
    clientNameSystemSupplied_ = systemSupplied;
}

void CorvexParameters::SetUserName(const std::wstring& login) {
    login_ = login;
    loginField_ = &login;
}

void CorvexParameters::CheckPort(unsigned long port, const void* field) {
    const std::wstring message = params::CheckServerPort(port);
    if (!message.empty()) throw ValidationError(message, field);
}

// The parameters library: reads, validates and stores the workstation agent's connection
// settings. This header is the library's whole interface; it also brings in ComputerInfo
// and DisableWindowsFirewall.
#pragma once

#include <string>

#include "params/computer_info.h"
#include "params/firewall_exception.h"

class CorvexParameters {
public:
    // A value that Save refuses. Not derived from std::exception, so that callers catch it
    // apart from every other failure.
    class ValidationError {
    public:
        ValidationError(std::wstring text, const void* field);
        virtual ~ValidationError();
        // The message for the user.
        virtual const std::wstring& GetText() const;
        // The identity of the offending value: the address of the caller's object that was
        // passed to the setter, or nullptr for a value that came from Load or the defaults.
        virtual const void* GetField() const;

    private:
        std::wstring text_;
        const void* field_;
    };

    struct Defaults {
        static const unsigned short coordinatorPort;
        static const bool isSecured;
    };

    // The role names the kind of agent whose settings the object holds; it is written into
    // every settings file and checked when one is read. Every caller passes "client".
    explicit CorvexParameters(const wchar_t* role);
    virtual ~CorvexParameters();

    // Reads the agent's own settings store. Each file counts alone: one that does not exist,
    // or a damaged one beside an intact one, leaves its values at the system defaults. When
    // no file is intact, a damaged one throws std::runtime_error naming it.
    void Load();
    // Reads user.json from `userDir` and workstation.json from `workstationDir` (both end in
    // a backslash), with the same rules.
    void Load(const std::wstring& userDir, const std::wstring& workstationDir);
    // Validates every value (throwing ValidationError for the first bad one) and writes the
    // agent's own store. `createStore`: create the store's folder when it is missing;
    // false requires the folder to exist.
    void Save(bool createStore) const;
    // Validates and writes user.json into `userDir` and workstation.json into
    // `workstationDir`, creating missing folders.
    void Save(const std::wstring& userDir, const std::wstring& workstationDir) const;
    // Sets every value to the system default.
    void LoadSystemDefaults();

    const std::wstring& GetCoordinatorHost() const;
    const std::wstring& GetClientName() const;
    const std::wstring& GetAllowedUserName() const;
    unsigned short GetCoordinatorPort() const;

    // Each setter records the address of its string argument as that value's identity.
    void SetCoordinator(const std::wstring& host, unsigned short port, bool secured);
    // `systemSupplied`: the name is the computer's own network name, filled in by the system.
    // An empty name always means "use the computer name" and is stored as system-supplied,
    // whatever the flag; any other typed name (false) must be valid.
    void SetClientName(const std::wstring& name, bool systemSupplied);
    void SetUserName(const std::wstring& login);

    // Range check for a port held in a wider integer: throws ValidationError(text, field)
    // unless 1 <= port <= 65535. Save uses the same message.
    static void CheckPort(unsigned long port, const void* field);

private:
    void ValidateAll() const;
    // `guardedBelow`: for the agent's own store its ProgramData folder, else empty (see
    // params::SettingsStore).
    void Fetch(const std::wstring& userDir, const std::wstring& workstationDir, const std::wstring& guardedBelow);
    void Store(const std::wstring& userDir, const std::wstring& workstationDir, bool createFolders,
               const std::wstring& guardedBelow) const;

    std::wstring role_;
    std::wstring host_;
    const void* hostField_ = nullptr;
    unsigned short port_ = 0;
    bool secured_ = false;
    std::wstring login_;
    const void* loginField_ = nullptr;
    std::wstring clientName_;
    const void* clientNameField_ = nullptr;
    bool clientNameSystemSupplied_ = true;
};

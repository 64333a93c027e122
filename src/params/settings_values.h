// The values of the two settings files.
#pragma once

#include <string>

namespace params {

// user.json: how the agent reaches the backup server, and who may back this machine up.
struct UserSettings {
    std::wstring serverHost;
    unsigned short serverPort = 0;
    bool secured = false;
    std::wstring login;

    bool operator==(const UserSettings& other) const {
        return serverHost == other.serverHost && serverPort == other.serverPort && secured == other.secured &&
               login == other.login;
    }
};

// workstation.json: the name under which the server sees this workstation.
struct WorkstationSettings {
    std::wstring name;
    bool systemSupplied = true;

    bool operator==(const WorkstationSettings& other) const {
        return name == other.name && systemSupplied == other.systemSupplied;
    }
};

}  // namespace params

#include "kit/installer_switches.h"

#include "platform/command_line.h"

namespace kit {
namespace {

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

// Whether `argument` begins with `name`, letter case aside; the rest goes to `value`.
bool Named(const std::wstring& argument, const wchar_t* name, std::wstring& value) {
    const std::wstring prefix(name);
    if (argument.size() < prefix.size()) return false;
    if (platform::CompareNoCasePortable(argument.substr(0, prefix.size()), prefix) != 0) return false;
    value = argument.substr(prefix.size());
    return true;
}

}  // namespace

std::vector<std::wstring> SplitInstallerArguments(const std::wstring& commandLine) {
    std::vector<std::wstring> arguments;
    size_t at = 0;
    while (at < commandLine.size()) {
        while (at < commandLine.size() && IsBlank(commandLine[at])) ++at;
        if (at == commandLine.size()) break;
        std::wstring argument;
        bool quoted = false;
        for (; at < commandLine.size() && (quoted || !IsBlank(commandLine[at])); ++at) {
            if (commandLine[at] == L'"') {
                quoted = !quoted;
            } else {
                argument += commandLine[at];
            }
        }
        arguments.push_back(argument);
    }
    return arguments;
}

bool ReadInstallerSwitches(const std::vector<std::wstring>& arguments, InstallerSwitches& switches,
                           std::wstring& error) {
    for (const std::wstring& argument : arguments) {
        std::wstring value;
        if (argument == L"/S" || argument == L"/NCRC") continue;
        // The installer takes its folder from a last, unquoted /D= and never passes it on: one
        // that reaches us was left to the default folder, which must not happen without a word.
        if (argument.compare(0, 3, L"/D=") == 0) {
            error = L"The folder switch \"" + argument +
                    L"\" was not taken: /D= must be the last switch and stand without quotes, even when the "
                    L"folder has blanks (/D=D:\\Corvex Workstation).";
            return false;
        }
        SwitchValue* target = nullptr;
        if (Named(argument, L"/SERVER=", value)) {
            target = &switches.server;
        } else if (Named(argument, L"/PORT=", value)) {
            target = &switches.port;
        } else if (Named(argument, L"/LOGIN=", value)) {
            target = &switches.login;
        } else if (Named(argument, L"/NAME=", value)) {
            target = &switches.name;
        } else if (Named(argument, L"/RESETSETTINGS", value) && value.empty()) {
            switches.resetSettings = true;
            continue;
        } else {
            error = L"Unknown switch \"" + argument +
                    L"\". The installer accepts /S, /SERVER=, /PORT=, /LOGIN=, /NAME=, /RESETSETTINGS and /D= "
                    L"(run it with /? to see them).";
            return false;
        }
        target->given = true;
        target->text = value;
    }
    return true;
}

}  // namespace kit

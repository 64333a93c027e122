#include "kit/installer_switches.h"

#include "params/text_rules.h"
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

// An argument as a message shows it: a control character (a line break that a script left at
// the end of the switches, most often) or an invisible formatting character (a text direction
// mark copied with the command) as its code, "<U+000A>".
std::wstring Visible(const std::wstring& argument) {
    std::wstring shown;
    for (const wchar_t c : argument) {
        const char32_t code = static_cast<char32_t>(c);
        if (params::IsControlCharacter(code) || params::IsFormatCharacter(code)) {
            shown += L"<" + params::CodePointName(code) + L">";
        } else {
            shown += c;
        }
    }
    return shown;
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
        if (Visible(argument) != argument) {
            error = L"The switch \"" + Visible(argument) +
                    L"\" holds a line break, another control character or an invisible formatting character "
                    L"(shown by its code): give the switches on one line, typed rather than copied from a document.";
            return false;
        }
        // The installer takes its folder from a last, unquoted /D= in capitals and never passes it
        // on: one that reaches us was left to the default folder, which must not happen without a word.
        if (Named(argument, L"/D=", value)) {
            error = L"The folder switch \"" + argument +
                    L"\" was not taken: /D= must be written in capitals, be the last switch and stand without "
                    L"quotes, even when the folder has blanks (/D=D:\\Corvex Workstation).";
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

bool MeansSilent(const std::vector<std::wstring>& arguments) {
    const auto silentWord = [](std::wstring word) {
        if (!word.empty() && word[0] == L'-') word[0] = L'/';
        for (const wchar_t* silent : {L"/S", L"/SILENT", L"/VERYSILENT", L"/QUIET", L"/Q", L"/QN"}) {
            if (platform::CompareNoCasePortable(word, silent) == 0) return true;
        }
        return false;
    };
    for (const std::wstring& argument : arguments) {
        // Control and invisible formatting characters (a text direction mark copied with the
        // command) are dropped; a blank beyond ASCII (a no-break space that a copy from a document
        // leaves) parts words, as it looks like the blank meant.
        std::wstring word;
        for (const wchar_t c : argument) {
            const char32_t code = static_cast<char32_t>(c);
            if (c > 0x7F && params::IsBlank(c)) {
                if (silentWord(word)) return true;
                word.clear();
            } else if (c > 0x20 && !params::IsControlCharacter(code) && !params::IsFormatCharacter(code)) {
                word += c;
            }
        }
        if (silentWord(word)) return true;
    }
    return false;
}

}  // namespace kit

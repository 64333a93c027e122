// The installer's switches, as an administrator or a deployment tool gives them.
#pragma once

#include <string>
#include <vector>

namespace kit {

// One value given on the command line; `given` is false when the switch is absent.
struct SwitchValue {
    bool given = false;
    std::wstring text;
};

struct InstallerSwitches {
    SwitchValue server;          // /SERVER=
    SwitchValue port;            // /PORT=
    SwitchValue login;           // /LOGIN=
    SwitchValue name;            // /NAME=
    bool resetSettings = false;  // /RESETSETTINGS
};

// Splits a command line the installer's way: blanks and tabs separate arguments, and a double
// quote, anywhere in an argument, opens or closes a quoted part and is dropped.
std::vector<std::wstring> SplitInstallerArguments(const std::wstring& commandLine);

// Reads the switches. Names are compared without regard to case, except /S and /NCRC (the
// installer framework's own, taken as written and otherwise ignored here). A switch given twice
// counts with its last value. False, with the message for the administrator, for any other
// argument, /D= among them: the framework keeps the folder switch it takes to itself, so one
// that arrives here was not taken (it was quoted).
bool ReadInstallerSwitches(const std::vector<std::wstring>& arguments, InstallerSwitches& switches,
                           std::wstring& error);

// Whether an argument asks for a silent run in a form that the installer framework does not take
// (/s, -S, /SILENT, /quiet, /S with a line break): its refusal must then show no box, which
// nobody may be there to answer (a deployment tool runs the kit on the system's own desktop).
bool MeansSilent(const std::vector<std::wstring>& arguments);

}  // namespace kit

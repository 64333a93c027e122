// The settings files' format: one JSON object per file, in UTF-8, with a format version and
// the role whose settings it holds.
//
//   user.json         {"formatVersion": 1, "role": "client", "serverHost": "backup01",
//                      "serverPort": 9750, "secured": false, "login": "CORP\\backup"}
//   workstation.json  {"formatVersion": 1, "role": "client", "workstationName": "",
//                      "systemSupplied": true}
//
// Reading is strict: the file is UTF-8 text without a NUL byte, every key must be there
// exactly once with its type, no other key may be, and every value must pass the rule that
// Save applies to it; anything else is a damaged file.
#pragma once

#include <string>

#include "params/settings_values.h"

namespace params {

// The format version that this library writes and reads.
constexpr unsigned kSettingsFormatVersion = 1;

std::string FormatUserSettings(const UserSettings& settings, const std::wstring& role);
std::string FormatWorkstationSettings(const WorkstationSettings& settings, const std::wstring& role);

// Parse a file's bytes. A file that breaks the format, holds a value that the rules refuse,
// or holds another role's settings, throws std::runtime_error whose text says what is wrong
// (without the file name), quoting the file's text as its characters.
UserSettings ParseUserSettings(const std::string& bytes, const std::wstring& role);
WorkstationSettings ParseWorkstationSettings(const std::string& bytes, const std::wstring& role);

}  // namespace params

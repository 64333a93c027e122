// Reads the dialog templates of a resource script, so that the headless backend builds the
// same controls, in the same order and with the same styles, as the real program.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/wintypes.h"

namespace framework {

struct ControlTemplate {
    int id = -1;
    std::string statement;  // GROUPBOX, LTEXT, RTEXT, EDITTEXT, PUSHBUTTON, DEFPUSHBUTTON, CONTROL
    std::string className;  // Button, Edit, Static
    std::wstring text;
    int x = 0, y = 0, width = 0, height = 0;
    std::set<std::string> styles;    // style names in force, defaults of the statement included
    std::set<std::string> exStyles;

    bool Has(const std::string& style) const { return styles.count(style) != 0; }
    bool IsEdit() const { return className == "Edit"; }
    bool IsRadio() const { return Has("BS_AUTORADIOBUTTON") || Has("BS_RADIOBUTTON"); }
    bool IsPushButton() const { return className == "Button" && !IsRadio() && !Has("BS_GROUPBOX"); }
};

struct DialogTemplate {
    UINT id = 0;
    std::wstring caption;
    int width = 0, height = 0;
    std::wstring fontName;
    int fontSize = 0;
    std::set<std::string> styles;
    std::set<std::string> exStyles;
    std::vector<ControlTemplate> controls;
};

// Reads every DIALOGEX of the script; symbolic identifiers come from the headers it
// includes with quotes (looked up beside the script). Throws std::runtime_error on a
// statement it cannot read.
std::map<UINT, DialogTemplate> ReadDialogTemplates(const std::string& rcPath);

}  // namespace framework

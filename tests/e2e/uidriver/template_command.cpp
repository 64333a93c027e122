// Compares a live dialog with the dialog template that the program carries: the program file
// is loaded as data, its DIALOGEX resource read, and the window's caption and styles and every
// control in template order (id, class, text, style) checked against it. The template is then
// the one copy of the dialogs' layout; the test names only which template a run must show.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "commands.h"
#include "text.h"

namespace uidriver {

namespace {

// Bits that the dialog manager or the program itself changes at run time.
constexpr DWORD kDialogRuntimeStyle = WS_VISIBLE | WS_CLIPSIBLINGS | DS_3DLOOK;
constexpr DWORD kControlRuntimeStyle = WS_DISABLED;

struct Item {
    DWORD style = 0;
    int id = 0;
    std::wstring className;
    std::wstring text;
};

struct Template {
    DWORD style = 0;
    DWORD exStyle = 0;
    std::wstring caption;
    std::vector<Item> items;
};

// A walk through DLGTEMPLATEEX and its DLGITEMTEMPLATEEX records (variable length, items
// aligned to four bytes). The resource comes from the program's own file, built by windres.
struct Cursor {
    const BYTE* base;
    const BYTE* p;

    template <typename T>
    T Take() {
        T value;
        memcpy(&value, p, sizeof(T));
        p += sizeof(T);
        return value;
    }
    std::wstring String() {
        std::wstring s;
        for (wchar_t c = Take<wchar_t>(); c != L'\0'; c = Take<wchar_t>()) s += c;
        return s;
    }
    // A string, or an ordinal (0xFFFF then a number) given back as "#number".
    std::wstring StringOrOrdinal() {
        if (reinterpret_cast<const WORD*>(p)[0] != 0xFFFF) return String();
        p += sizeof(WORD);
        return L"#" + std::to_wstring(Take<WORD>());
    }
};

std::wstring ClassName(const std::wstring& name) {
    static const wchar_t* kOrdinals[] = {L"Button", L"Edit", L"Static", L"ListBox", L"ScrollBar", L"ComboBox"};
    for (int i = 0; i < 6; ++i) {
        if (name == L"#" + std::to_wstring(0x80 + i)) return kOrdinals[i];
    }
    return name;
}

Template ReadTemplate(const std::wstring& file, int number) {
    HMODULE module = LoadLibraryExW(file.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!module) throw Failure("cannot load " + Utf8(file) + " as data: error " + std::to_string(GetLastError()));
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(number), MAKEINTRESOURCEW(5));  // RT_DIALOG
    const BYTE* data = found ? static_cast<const BYTE*>(LockResource(LoadResource(module, found))) : nullptr;
    Cursor c{data, data};
    Template t;
    if (!data || c.Take<WORD>() != 1 || c.Take<WORD>() != 0xFFFF) {
        FreeLibrary(module);
        throw Failure("no DIALOGEX template " + std::to_string(number) + " in " + Utf8(file));
    }
    c.p += sizeof(DWORD);  // help id
    t.exStyle = c.Take<DWORD>();
    t.style = c.Take<DWORD>();
    const WORD count = c.Take<WORD>();
    c.p += 4 * sizeof(short);  // position and size
    c.StringOrOrdinal();       // menu
    c.StringOrOrdinal();       // class
    t.caption = c.String();
    if (t.style & DS_SETFONT) {
        c.p += 2 * sizeof(WORD) + 2;  // point size, weight, italic, character set
        c.String();
    }
    for (WORD i = 0; i < count; ++i) {
        c.p += (4 - (c.p - c.base) % 4) % 4;
        Item item;
        c.p += 2 * sizeof(DWORD);  // help id, extended style
        item.style = c.Take<DWORD>();
        c.p += 4 * sizeof(short);
        item.id = static_cast<int>(c.Take<DWORD>());
        item.className = ClassName(c.StringOrOrdinal());
        item.text = c.StringOrOrdinal();
        c.p += c.Take<WORD>();  // creation data
        t.items.push_back(item);
    }
    FreeLibrary(module);
    return t;
}

// "" when the styles agree outside the ignored bits.
std::string StyleProblem(DWORD live, DWORD wanted, DWORD ignored) {
    if (((live ^ wanted) & ~ignored) == 0) return std::string();
    char text[80];
    snprintf(text, sizeof text, "style %#lx, template %#lx", static_cast<unsigned long>(live),
             static_cast<unsigned long>(wanted));
    return text;
}

void CheckControl(HWND control, const Item& item, const std::string& name, Json& problems) {
    std::wstring cls = ClassOf(control);
    cls = cls.substr(cls.find(L'!') + 1);  // "6.0.0.0!Button" with the common controls 6
    const bool edit = EqualIgnoringCase(cls, L"Edit");
    if ((GetDlgCtrlID(control) & 0xFFFF) != (item.id & 0xFFFF)) {
        problems.push_back(name + "id " + std::to_string(GetDlgCtrlID(control)));
    }
    if (!EqualIgnoringCase(cls, item.className)) problems.push_back(name + "class " + Utf8(cls));
    if (!edit && ControlText(control) != item.text) problems.push_back(name + "text " + Utf8(ControlText(control)));
    DWORD ignored = kControlRuntimeStyle;
    const DWORD type = item.style & BS_TYPEMASK;
    if (EqualIgnoringCase(cls, L"Button")) {
        // The default button moves with the focus; checking a radio button gives it the tab stop.
        if (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON) ignored |= BS_DEFPUSHBUTTON;
        if (type == BS_AUTORADIOBUTTON || type == BS_RADIOBUTTON) ignored |= WS_TABSTOP;
    }
    if (edit) ignored |= WS_BORDER;  // drawn as a sunken client edge instead
    const std::string style = StyleProblem(static_cast<DWORD>(GetWindowLongW(control, GWL_STYLE)), item.style, ignored);
    if (!style.empty()) problems.push_back(name + style);
}

}  // namespace

// --caption T --file F --id N: the live dialog against template N of the program file F.
// Prints the number of controls and every difference ("problems", empty when they agree).
Json TemplateCommand(const Args& args) {
    Options options(args, {L"caption", L"timeout", L"file", L"id"});
    const Template t = ReadTemplate(options.Require(L"file"), static_cast<int>(options.RequireInteger(L"id")));
    HWND dialog = TargetWindow(options);
    Settle(dialog);
    Json problems = Json::array();
    if (CaptionOf(dialog) != t.caption) problems.push_back("caption " + Utf8(CaptionOf(dialog)));
    const std::string style =
        StyleProblem(static_cast<DWORD>(GetWindowLongW(dialog, GWL_STYLE)), t.style, kDialogRuntimeStyle);
    if (!style.empty()) problems.push_back("dialog " + style);
    const DWORD exStyle = static_cast<DWORD>(GetWindowLongW(dialog, GWL_EXSTYLE));
    if ((exStyle & t.exStyle) != t.exStyle) problems.push_back("dialog lacks extended style bits");
    size_t index = 0;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT), ++index) {
        if (index < t.items.size()) {
            CheckControl(child, t.items[index], "control #" + std::to_string(index) + ": ", problems);
        }
    }
    if (index != t.items.size()) {
        problems.push_back(std::to_string(index) + " controls, template " + std::to_string(t.items.size()));
    }
    return Json{{"controls", index}, {"problems", problems}};
}

}  // namespace uidriver

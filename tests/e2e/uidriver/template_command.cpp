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

// Reads a DIALOGEX template (see DLGTEMPLATEEX / DLGITEMTEMPLATEEX: variable-length records,
// items aligned to four bytes).
class Reader {
public:
    Reader(const BYTE* data, DWORD size) : p_(data), end_(data + size) {}

    template <typename T>
    T Take() {
        if (end_ - p_ < static_cast<std::ptrdiff_t>(sizeof(T))) throw Failure("the dialog template is cut short");
        T value;
        memcpy(&value, p_, sizeof(T));
        p_ += sizeof(T);
        return value;
    }
    void Skip(size_t bytes) {
        for (size_t i = 0; i < bytes; ++i) Take<BYTE>();
    }
    std::wstring String() {
        std::wstring s;
        for (wchar_t c = Take<wchar_t>(); c != L'\0'; c = Take<wchar_t>()) s += c;
        return s;
    }
    // A string, or an ordinal (0xFFFF then a number) given back as "#number".
    std::wstring StringOrOrdinal() {
        if (end_ - p_ >= 2 && reinterpret_cast<const WORD*>(p_)[0] == 0xFFFF) {
            Take<WORD>();
            return L"#" + std::to_wstring(Take<WORD>());
        }
        return String();
    }
    void AlignTo4(const BYTE* base) {
        while ((p_ - base) % 4 != 0) Take<BYTE>();
    }

private:
    const BYTE* p_;
    const BYTE* end_;
};

struct Template {
    DWORD style = 0;
    DWORD exStyle = 0;
    std::wstring caption;
    std::vector<Item> items;
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
    if (!data) {
        FreeLibrary(module);
        throw Failure("no dialog template " + std::to_string(number) + " in " + Utf8(file));
    }
    Template t;
    Reader r(data, SizeofResource(module, found));
    try {
        if (r.Take<WORD>() != 1 || r.Take<WORD>() != 0xFFFF) throw Failure("not a DIALOGEX template");
        r.Take<DWORD>();  // help id
        t.exStyle = r.Take<DWORD>();
        t.style = r.Take<DWORD>();
        const WORD count = r.Take<WORD>();
        r.Skip(4 * sizeof(short));  // position and size
        r.StringOrOrdinal();        // menu
        r.StringOrOrdinal();        // class
        t.caption = r.String();
        if (t.style & DS_SETFONT) {
            r.Skip(2 * sizeof(WORD) + 2);  // point size, weight, italic, character set
            r.String();
        }
        for (WORD i = 0; i < count; ++i) {
            r.AlignTo4(data);
            Item item;
            r.Skip(2 * sizeof(DWORD));  // help id, extended style
            item.style = r.Take<DWORD>();
            r.Skip(4 * sizeof(short));
            item.id = static_cast<int>(r.Take<DWORD>());
            item.className = ClassName(r.StringOrOrdinal());
            item.text = r.StringOrOrdinal();
            r.Skip(r.Take<WORD>());  // creation data
            t.items.push_back(item);
        }
    } catch (...) {
        FreeLibrary(module);
        throw;
    }
    FreeLibrary(module);
    return t;
}

std::string Hex(DWORD value) {
    char buffer[16];
    snprintf(buffer, sizeof buffer, "%#lx", static_cast<unsigned long>(value));
    return buffer;
}

std::string StyleProblem(DWORD live, DWORD wanted, DWORD ignored) {
    const DWORD differ = (live ^ wanted) & ~ignored;
    if (!differ) return std::string();
    return "style " + Hex(live) + ", template " + Hex(wanted) + " (differ in " + Hex(differ) + ")";
}

// Differences between one control and its template item.
std::vector<std::string> ControlProblems(HWND control, const Item& item) {
    std::vector<std::string> problems;
    std::wstring cls = ClassOf(control);
    cls = cls.substr(cls.find(L'!') + 1);  // "6.0.0.0!Button" with the common controls 6
    const bool edit = EqualIgnoringCase(cls, L"Edit");
    if ((GetDlgCtrlID(control) & 0xFFFF) != (item.id & 0xFFFF)) {
        problems.push_back("id " + std::to_string(GetDlgCtrlID(control)));
    }
    if (!EqualIgnoringCase(cls, item.className)) problems.push_back("class " + Utf8(cls));
    if (!edit && ControlText(control) != item.text) problems.push_back("text \"" + Utf8(ControlText(control)) + "\"");
    DWORD ignored = kControlRuntimeStyle;
    const DWORD type = item.style & BS_TYPEMASK;
    if (EqualIgnoringCase(cls, L"Button")) {
        // The default button moves with the focus; checking a radio button gives it the tab stop.
        if (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON) ignored |= BS_DEFPUSHBUTTON;
        if (type == BS_AUTORADIOBUTTON || type == BS_RADIOBUTTON) ignored |= WS_TABSTOP;
    }
    if (edit) ignored |= WS_BORDER;  // drawn as a sunken client edge instead
    const std::string style = StyleProblem(static_cast<DWORD>(GetWindowLongW(control, GWL_STYLE)), item.style, ignored);
    if (!style.empty()) problems.push_back(style);
    return problems;
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
    if (CaptionOf(dialog) != t.caption) problems.push_back("caption \"" + Utf8(CaptionOf(dialog)) + "\"");
    const std::string style =
        StyleProblem(static_cast<DWORD>(GetWindowLongW(dialog, GWL_STYLE)), t.style, kDialogRuntimeStyle);
    if (!style.empty()) problems.push_back("dialog " + style);
    const DWORD exStyle = static_cast<DWORD>(GetWindowLongW(dialog, GWL_EXSTYLE));
    if ((exStyle & t.exStyle) != t.exStyle) problems.push_back("dialog exstyle " + Hex(exStyle) + " lacks " + Hex(t.exStyle & ~exStyle));
    size_t index = 0;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT), ++index) {
        if (index >= t.items.size()) continue;
        for (const std::string& p : ControlProblems(child, t.items[index])) {
            problems.push_back("control #" + std::to_string(index) + " (" + Utf8(t.items[index].text) + "): " + p);
        }
    }
    if (index != t.items.size()) {
        problems.push_back(std::to_string(index) + " controls, template " + std::to_string(t.items.size()));
    }
    return Json{{"controls", index}, {"problems", problems}};
}

}  // namespace uidriver

// uidriver: the end-to-end scenarios' hands and eyes, run in the same Wine prefix as the
// program under test. Usage: uidriver COMMAND [--option value]... [--timeout SECONDS]; prints
// JSON. Exit code 0: done; 1: the condition did not hold in time (message on stderr); 2: bad
// command line. Every waiting command polls with a bounded timeout (20 s by default).
#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <map>
#include <nlohmann/json.hpp>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/utf8.h"

namespace {

using Json = nlohmann::ordered_json;
// A condition not met in time: exit code 1. Nothing else the driver meets is a runtime_error (bad options and
// numbers are invalid_argument or out_of_range, the JSON library's own errors derive from std::exception).
using Failure = std::runtime_error;
std::map<std::wstring, std::wstring> opt;

std::string Utf8(const std::wstring& w) { return platform::WideToUtf8Lossy(w); }
std::wstring Need(const wchar_t* name) {
    return opt.count(name) ? opt[name] : throw std::invalid_argument("option --" + Utf8(name) + " is required");
}

// Polls `find` until it gives a window; a window too busy to answer now may answer at the next look.
HWND Poll(const std::string& what, const std::function<HWND()>& find) {
    const ULONGLONG deadline = GetTickCount64() + (opt.count(L"timeout") ? std::stod(opt[L"timeout"]) * 1000 : 20000);
    for (;; Sleep(50)) {
        try {
            if (HWND found = find()) return found;
        } catch (const Failure&) {
            if (GetTickCount64() >= deadline) throw;
        }
        if (GetTickCount64() >= deadline) throw Failure(what + " in time");
    }
}
LRESULT Send(HWND w, UINT message, WPARAM wp = 0, LPARAM lp = 0) {
    DWORD_PTR result = 0;
    if (SendMessageTimeoutW(w, message, wp, lp, SMTO_ABORTIFHUNG | SMTO_BLOCK, 5000, &result)) return (LRESULT)result;
    throw Failure("window does not answer message " + std::to_string(message));
}
Json Post(HWND w, UINT message) {  // then waits until it is handled, unless the window's thread sits in a modal loop
    if (!w || !PostMessageW(w, message, 0, 0)) throw Failure("cannot post message " + std::to_string(message));
    return SendMessageTimeoutW(w, WM_NULL, 0, 0, SMTO_ABORTIFHUNG | SMTO_BLOCK, 1000, nullptr), Json{{"done", true}};
}
std::wstring Text(HWND w) {
    std::wstring t(Send(w, WM_GETTEXTLENGTH) + 1, L'\0');
    return t.resize(Send(w, WM_GETTEXT, t.size(), (LPARAM)&t[0])), t;
}
// A window's caption, or its class ("6.0.0.0!Button" with the common controls 6 is "Button").
std::wstring Caption(HWND w, bool cls = false) {
    wchar_t b[1024];
    const std::wstring name(b, std::max(0, cls ? GetClassNameW(w, b, 1024) : InternalGetWindowText(w, b, 1024)));
    return cls ? name.substr(name.find(L'!') + 1) : name;
}
// The visible windows with that caption and class (empty: any), top-level or below `parent`.
std::vector<HWND> Windows(const std::wstring& caption, const std::wstring& cls, HWND parent = nullptr) {
    std::vector<HWND> all;
    auto add = [](HWND w, LPARAM p) { return ((std::vector<HWND>*)p)->push_back(w), TRUE; };
    parent ? EnumChildWindows(parent, add, (LPARAM)&all) : EnumWindows(add, (LPARAM)&all);
    auto match = [](const std::wstring& want, const std::wstring& seen) { return want.empty() || seen == want; };
    auto ok = [&](HWND w) { return IsWindowVisible(w) && match(caption, Caption(w)) && match(cls, Caption(w, true)); };
    return all.erase(std::remove_if(all.begin(), all.end(), std::not_fn(ok)), all.end()), all;
}
HWND First(const std::vector<HWND>& all) { return all.empty() ? nullptr : all[0]; }
HWND Window() {
    return Poll("no window \"" + Utf8(opt[L"caption"]) + "\"", [] { return First(Windows(Need(L"caption"), L"")); });
}
HWND Control() {  // of the window or of a page inside it, once enabled: a disabled one takes no typing or click
    const int id = std::stoi(Need(L"id"), nullptr, 0);
    return Poll("no enabled control " + Utf8(opt[L"id"]), [&] {
        HWND c = GetDlgItem(Window(), id);
        for (HWND w : c ? std::vector<HWND>() : Windows(L"", L"", Window())) c = !c && GetDlgCtrlID(w) == id ? w : c;
        return c && IsWindowEnabled(c) ? c : nullptr;
    });
}

Json Run(const std::wstring& command) {
    if (command == L"windows") {
        Json all = Json::array();
        for (HWND w : Windows(L"", opt[L"class"]))
            all.push_back({{"class", Utf8(Caption(w, true))}, {"caption", Utf8(Caption(w))}});
        return all;
    }
    if (command == L"settext") {  // an edit emptied, then typed into key by key (its filters apply); others set whole
        HWND control = Control();
        const bool edit = Caption(control, true) == L"Edit";
        if (Caption(control, true) == L"Static") throw Failure("a text takes no typing");
        if (!Send(control, WM_SETTEXT, 0, (LPARAM)(edit ? L"" : Need(L"text").c_str()))) throw Failure("text refused");
        for (wchar_t c : edit ? Need(L"text") : std::wstring()) Send(control, WM_CHAR, c);
        return {{"done", true}};
    }
    if (command == L"text") {  // with the caption of the window that owns the control's window; a list's items
        HWND c = Control(), owner = GetWindow(GetAncestor(c, GA_ROOT), GW_OWNER);  // follow its text, each after "|"
        std::wstring text = Text(c), item(1024, L'\0');
        for (LRESULT i = 0, n = Caption(c, true) == L"ComboBox" ? Send(c, CB_GETCOUNT) : 0; i < n; ++i)
            text += L"|" + item.substr(0, Send(c, CB_GETLBTEXT, i, (LPARAM)&item[0]));
        GUITHREADINFO gui{};  // and whether it has its window's focus
        gui.cbSize = sizeof gui;
        GetGUIThreadInfo(GetWindowThreadProcessId(c, nullptr), &gui);
        return {{"text", Utf8(text)}, {"owner", Utf8(Caption(owner))}, {"focused", gui.hwndFocus == c}};
    }
    if (command == L"click") return Post(Control(), BM_CLICK);  // a box it opens does not block
    if (command == L"answer") {  // a message box: the button with that label ('&' and letter case ignored)
        Json shown;              // read as the box is found: one that does not answer yet is looked for again
        HWND button = Poll("no box \"" + Utf8(opt[L"caption"]) + "\" with a button " + Utf8(Need(L"button")), [&] {
            for (HWND box : Windows(Need(L"caption"), L"#32770"))
                for (HWND c : Windows(L"", L"Button", box)) {
                    std::wstring t = Text(c);  // its label
                    t.erase(std::remove(t.begin(), t.end(), L'&'), t.end());
                    if (CompareStringOrdinal(t.c_str(), -1, opt[L"button"].c_str(), -1, TRUE) != CSTR_EQUAL) continue;
                    // What it shows, with its owner's caption, whether it shows an icon and whether the button is
                    // its default.
                    shown = Json{{"caption", Utf8(Caption(box))},
                                 {"text", Utf8(Text(GetDlgItem(box, 0xFFFF)))},
                                 {"owner", Utf8(Caption(GetWindow(box, GW_OWNER)))},
                                 {"icon", SendDlgItemMessageW(box, 0x440, STM_GETICON, 0, 0) != 0},
                                 {"default", (Send(c, WM_GETDLGCODE) & DLGC_DEFPUSHBUTTON) != 0}};
                    return c;
                }
            return HWND();
        });
        Post(button, BM_CLICK);  // the button goes with its box
        return Poll("the box did not close", [&] { return IsWindowVisible(button) ? nullptr : button; }), shown;
    }
    if (command == L"launch") {  // an exact command line, as a shell passes it; waits for the exit code
        STARTUPINFOW si{};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi{};
        // The command line in a writable copy that lives until the call has returned.
        if (!CreateProcessW(nullptr, &Need(L"cmdline")[0], nullptr, nullptr, FALSE, 0, nullptr,
                            opt.count(L"cwd") ? opt[L"cwd"].c_str() : nullptr, &si, &pi))
            throw Failure("cannot start: error " + std::to_string(GetLastError()));
        DWORD code = WaitForSingleObject(pi.hProcess, INFINITE);  // then its exit code
        return GetExitCodeProcess(pi.hProcess, &code), Json{{"exit_code", code}};
    }
    throw std::invalid_argument("unknown command " + Utf8(command));
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    try {
        if (argc < 2) throw std::invalid_argument("usage: uidriver COMMAND [--option value]...");
        // Each option checked, then stored as the loop steps on (nothing is stored after a refusal).
        for (int i = 2; i < argc; opt[argv[i] + 2] = argv[i + 1], i += 2)
            if (wcsncmp(argv[i], L"--", 2) || i + 1 == argc) throw std::invalid_argument("bad option " + Utf8(argv[i]));
        return _setmode(_fileno(stdout), _O_BINARY), fputs((Run(argv[1]).dump() + "\n").c_str(), stdout), 0;
    } catch (const std::exception& e) {
        return fprintf(stderr, "uidriver: %s\n", e.what()), dynamic_cast<const Failure*>(&e) ? 1 : 2;
    }
}

// uidriver: the end-to-end scenarios' hands and eyes, run in the same Wine prefix as the
// program under test. Usage: uidriver COMMAND [--option value]... [--timeout SECONDS]; prints
// JSON. Exit code 0: done; 1: the condition did not hold in time (message on stderr); 2: bad
// command line. Every waiting command polls with a bounded timeout (20 s by default).
#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <nlohmann/json.hpp>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/utf8.h"

namespace {

using Json = nlohmann::ordered_json;
struct Usage : std::runtime_error {
    using std::runtime_error::runtime_error;
};
struct Failure : std::runtime_error {
    using std::runtime_error::runtime_error;
};
std::map<std::wstring, std::wstring> opt;

std::string Utf8(const std::wstring& w) { return platform::WideToUtf8Lossy(w); }
std::wstring Need(const wchar_t* name) {
    if (!opt.count(name)) throw Usage("option --" + Utf8(name) + " is required");
    return opt[name];
}
int Id() { return std::stoi(Need(L"id"), nullptr, 0); }
DWORD TimeoutMs() { return opt.count(L"timeout") ? (DWORD)(std::stod(opt[L"timeout"]) * 1000) : 20000; }

void Poll(const std::function<bool()>& holds, const std::string& what) {
    const ULONGLONG deadline = GetTickCount64() + TimeoutMs();
    for (;;) {
        try {  // a window too busy to answer now may answer at the next look
            if (holds()) return;
        } catch (const Failure&) {
            if (GetTickCount64() >= deadline) throw;
        }
        if (GetTickCount64() >= deadline) throw Failure(what + " within " + std::to_string(TimeoutMs()) + " ms");
        Sleep(50);
    }
}

LRESULT Send(HWND w, UINT message, WPARAM wp = 0, LPARAM lp = 0) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(w, message, wp, lp, SMTO_ABORTIFHUNG | SMTO_BLOCK, 5000, &result))
        throw Failure("window does not answer message " + std::to_string(message));
    return (LRESULT)result;
}
void Post(HWND w, UINT message) {
    if (!PostMessageW(w, message, 0, 0)) throw Failure("cannot post message " + std::to_string(message));
    DWORD_PTR ignored;  // until the window's thread has handled it (unless it sits in a modal loop)
    SendMessageTimeoutW(w, WM_NULL, 0, 0, SMTO_ABORTIFHUNG | SMTO_BLOCK, 1000, &ignored);
}
std::wstring Caption(HWND w) {
    wchar_t b[1024];
    return std::wstring(b, std::max(0, InternalGetWindowText(w, b, 1024)));
}
std::wstring Class(HWND w) {
    wchar_t b[256];
    std::wstring c(b, std::max(0, GetClassNameW(w, b, 256)));
    return c.substr(c.find(L'!') + 1);  // "6.0.0.0!Button" with the common controls 6
}
std::wstring Text(HWND w) {
    std::wstring t(Send(w, WM_GETTEXTLENGTH) + 1, L'\0');
    t.resize(Send(w, WM_GETTEXT, t.size(), (LPARAM)&t[0]));
    return t;
}
bool Same(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.c_str(), (int)a.size(), b.c_str(), (int)b.size(), TRUE) == CSTR_EQUAL;
}
std::vector<HWND> Children(HWND w) {
    std::vector<HWND> all;
    for (HWND c = GetWindow(w, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) all.push_back(c);
    return all;
}
struct Search {
    std::wstring caption, cls;
    std::vector<HWND> found;
};
std::vector<HWND> TopLevel(const std::wstring& caption, const std::wstring& cls) {
    Search s{caption, cls, {}};
    EnumWindows(
        [](HWND w, LPARAM p) -> BOOL {
            Search& s = *(Search*)p;
            if (IsWindowVisible(w) && (s.caption.empty() || Caption(w) == s.caption) &&
                (s.cls.empty() || Class(w) == s.cls))
                s.found.push_back(w);
            return TRUE;
        },
        (LPARAM)&s);
    return s.found;
}
HWND Window() {
    HWND found = nullptr;
    Poll(
        [&] {
            auto all = TopLevel(Need(L"caption"), L"");
            return (found = all.empty() ? nullptr : all[0]) != nullptr;
        },
        "no window \"" + Utf8(opt[L"caption"]) + "\"");
    return found;
}
HWND Control(HWND dialog, bool enabled) {
    HWND c = GetDlgItem(dialog, Id());
    if (!c) throw Failure("no control " + std::to_string(Id()));
    if (enabled && !IsWindowEnabled(c)) throw Failure("control " + std::to_string(Id()) + " is disabled");
    return c;
}
Json Controls(HWND dialog) {
    Json controls = Json::array();
    for (HWND c : Children(dialog))
        controls.push_back({{"id", GetDlgCtrlID(c)}, {"text", Utf8(Text(c))}, {"enabled", IsWindowEnabled(c) != 0}});
    return {{"caption", Utf8(Caption(dialog))}, {"controls", controls}};
}

// Message boxes: a "#32770" window with the text static 0xFFFF and only standard push buttons.
std::vector<HWND> MessageBoxes() {
    std::vector<HWND> boxes;
    for (HWND w : TopLevel(opt[L"caption"], L"#32770")) {
        bool text = false, buttons = true;
        for (HWND c : Children(w)) {
            text |= GetDlgCtrlID(c) == 0xFFFF;
            if (Same(Class(c), L"Button"))
                buttons &= GetDlgCtrlID(c) >= IDOK && GetDlgCtrlID(c) <= IDCONTINUE;
            else if (!Same(Class(c), L"Static"))
                buttons = false;
        }
        if (text && buttons) boxes.push_back(w);
    }
    return boxes;
}
std::wstring Label(HWND button) {  // as shown: '&' dropped
    std::wstring t;
    for (wchar_t ch : Text(button))
        if (ch != L'&') t += ch;
    return t;
}
Json ReadBox(HWND box) {
    Json j{{"caption", Utf8(Caption(box))}, {"text", ""}, {"buttons", Json::array()}};
    for (HWND c : Children(box)) {
        if (GetDlgCtrlID(c) == 0xFFFF) j["text"] = Utf8(Text(c));
        if (Same(Class(c), L"Button") && IsWindowVisible(c)) j["buttons"].push_back(Utf8(Label(c)));
    }
    return j;
}
HWND WaitBox() {
    HWND found = nullptr;
    Poll(
        [&] {
            auto all = MessageBoxes();
            return (found = all.empty() ? nullptr : all[0]) != nullptr;
        },
        "no message box \"" + Utf8(opt[L"caption"]) + "\"");
    return found;
}

// The save/open dialog: its file name box (combo 0x47c or edit 0x480) takes the path, then OK.
Json FileDialog() {
    auto find = [](HWND w, int id) {
        std::pair<int, HWND> s{id, nullptr};
        EnumChildWindows(
            w,
            [](HWND c, LPARAM p) -> BOOL {
                auto& s = *(std::pair<int, HWND>*)p;
                if (GetDlgCtrlID(c) != s.first || !IsWindowVisible(c)) return TRUE;
                if (s.first == IDOK && !Same(Class(c), L"Button")) return TRUE;
                s.second = c;
                return FALSE;
            },
            (LPARAM)&s);
        return s.second;
    };
    HWND dialog = nullptr, name = nullptr;
    Poll(
        [&] {
            for (HWND w : TopLevel(L"", L"#32770"))
                if ((name = find(w, 0x47c)) || (name = find(w, 0x480))) return (dialog = w) != nullptr;
            return false;
        },
        "no file dialog");
    const std::wstring path = Need(L"path");
    Send(name, WM_SETTEXT, 0, (LPARAM)path.c_str());
    HWND ok = find(dialog, IDOK);
    if (Text(name) != path || !ok) throw Failure("the file dialog did not take the path");
    Post(ok, BM_CLICK);
    bool asked = false;
    Poll(
        [&] {
            for (HWND box : MessageBoxes()) asked |= GetWindow(box, GW_OWNER) == dialog;
            return asked || !IsWindow(dialog) || !IsWindowVisible(dialog);
        },
        "the file dialog neither closed nor asked");
    return {{"result", asked ? "messagebox" : "accepted"}};
}

Json Run(const std::wstring& command) {
    if (command == L"wait-window") return {{"caption", Utf8(Caption(Window()))}};
    if (command == L"windows") {
        Json all = Json::array();
        for (HWND w : TopLevel(L"", opt[L"class"]))
            all.push_back({{"class", Utf8(Class(w))}, {"caption", Utf8(Caption(w))}});
        return all;
    }
    if (command == L"controls") return Controls(Window());
    if (command == L"wait-control") {  // until the control is enabled (or not) and shows the text
        HWND dialog = Window();
        Json seen;
        Poll(
            [&] {
                const Json all = Controls(dialog);
                for (const Json& c : all["controls"])
                    if (c["id"] == Id()) seen = c;
                return (!opt.count(L"enabled") || seen["enabled"] == (opt[L"enabled"] == L"true")) &&
                       (!opt.count(L"text") || seen["text"] == Utf8(opt[L"text"]));
            },
            "control " + std::to_string(Id()) + " not so");
        return seen;
    }
    if (command == L"settext") {  // an edit reports EN_CHANGE as for typing
        const std::wstring text = Need(L"text");
        if (!Send(Control(Window(), true), WM_SETTEXT, 0, (LPARAM)text.c_str())) throw Failure("text refused");
        return {{"done", true}};
    }
    if (command == L"click")
        return Post(Control(Window(), true), BM_CLICK), Json{{"done", true}};  // a box it opens must not block
    if (command == L"close") return Post(Window(), WM_CLOSE), Json{{"done", true}};
    if (command == L"answer") {  // presses the button by its label ('&' and letter case ignored)
        HWND box = WaitBox(), chosen = nullptr;
        for (HWND c : Children(box))
            if (Same(Class(c), L"Button") && Same(Label(c), Need(L"button"))) chosen = c;
        if (!chosen) throw Failure("the message box has no button " + Utf8(opt[L"button"]));
        Json answered = ReadBox(box);
        Post(chosen, BM_CLICK);
        Poll([&] { return !IsWindow(box) || !IsWindowVisible(box); }, "the message box did not close");
        return answered;
    }
    if (command == L"filedialog") return FileDialog();
    if (command == L"launch") {  // an exact command line, as a shell passes it; waits for the exit code
        std::wstring line = Need(L"cmdline");
        STARTUPINFOW si{};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi{};
        if (!CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr,
                            opt.count(L"cwd") ? opt[L"cwd"].c_str() : nullptr, &si, &pi))
            throw Failure("cannot start: error " + std::to_string(GetLastError()));
        WaitForSingleObject(pi.hProcess, INFINITE);
        DWORD code = 0;
        GetExitCodeProcess(pi.hProcess, &code);
        return {{"exit_code", code}};
    }
    throw Usage("unknown command " + Utf8(command));
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    _setmode(_fileno(stdout), _O_BINARY);
    try {
        if (argc < 2) throw Usage("usage: uidriver COMMAND [--option value]...");
        for (int i = 2; i < argc; i += 2) {
            if (wcsncmp(argv[i], L"--", 2) != 0 || i + 1 >= argc) throw Usage("bad option " + Utf8(argv[i]));
            opt[argv[i] + 2] = argv[i + 1];
        }
        const std::string out = Run(argv[1]).dump() + "\n";
        fwrite(out.data(), 1, out.size(), stdout);
        return 0;
    } catch (const Failure& e) {
        fprintf(stderr, "uidriver: %s\n", e.what());
        return 1;
    } catch (const std::exception& e) {
        fprintf(stderr, "uidriver: %s\n", e.what());
        return 2;
    }
}

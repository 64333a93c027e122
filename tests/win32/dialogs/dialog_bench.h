// Plays the user on a real dialog of this process, on the dialog's own thread from inside its
// modal loop, through the messages Windows sends for a user's actions; and the fixture that
// runs a dialog on the application's bench with the agent's settings stored as a save left them.
#pragma once

#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "app/setup_client_app.h"
#include "app_bench.h"
#include "params/corvex_parameters.h"
#include "res/resource.h"

namespace testing_support {

// The four settings boxes: host, port, login, workstation name.
constexpr int kSettingsBoxes[] = {IDC_SERVER_HOST, IDC_SERVER_PORT, IDC_ADMIN_LOGIN, IDC_WORKSTATION_NAME};

class DialogDriver {
public:
    explicit DialogDriver(HWND dialog) : m_dialog(dialog) {}

    // A digits-only box gets one WM_CHAR per character (its filter applies) unless `paste`, any
    // other box the text as a paste does. False when the control is disabled or read-only or does
    // not show the text.
    bool Type(int id, const std::wstring& text, bool paste = false) {
        HWND edit = Item(id);
        if (!Enabled(id) || (::GetWindowLongW(edit, GWL_STYLE) & ES_READONLY)) return false;
        if (paste || !(::GetWindowLongW(edit, GWL_STYLE) & ES_NUMBER))
            return ::SendMessageW(edit, WM_SETTEXT, 0, LPARAM(text.c_str())), Pump(), Text(id) == text;
        ::SendMessageW(edit, EM_SETSEL, 0, -1);
        if (text.empty()) ::SendMessageW(edit, WM_CHAR, VK_BACK, 0);
        for (wchar_t c : text) ::SendMessageW(edit, WM_CHAR, c, 0);
        return Pump(), Text(id) == text;
    }
    // BM_CLICK, refused on a disabled button; `focus` first gives the button the focus.
    bool Click(int id, bool focus = false) {
        if (!Enabled(id)) return false;
        if (focus) ::SendMessageW(m_dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Item(id)), TRUE);
        return ::SendMessageW(Item(id), BM_CLICK, 0, 0), Pump(), true;
    }
    // Escape as the modal loop hands it over, then a close request (the caption's button).
    void EscapeAndClose() {
        MSG key{::GetFocus() != nullptr ? ::GetFocus() : m_dialog, WM_KEYDOWN, VK_ESCAPE, 0x00010001, 0, {0, 0}};
        EXPECT_TRUE(::IsDialogMessageW(m_dialog, &key)) << "Escape did not reach the dialog";
        Close();
    }
    // A close request (the caption's button); whether it ended the dialog.
    bool Close() { return ::SendMessageW(m_dialog, WM_CLOSE, 0, 0), Pump(), Ended(); }
    // Pastes into the settings boxes in order (host, port, login, workstation name).
    void Fill(const std::vector<std::wstring>& texts) {
        for (size_t i = 0; i < texts.size(); ++i) Type(kSettingsBoxes[i], texts[i], true);
    }
    std::wstring Text(int id) const { return TextOf(Item(id)); }
    // The caption, then in template (tab) order what a user sees of each shown control within the window:
    // the text of all but the edit boxes (after ">" where it is right-aligned), and the id of a
    // button or box after "=" (":" where Tab passes it by, as an unchecked radio button; "=" alone
    // after a text that Tab stops at), a box's after the label on its left ("?" where there is
    // none); "^" for each control before it (but a
    // group box) that it overlaps, "<" where it stands above the one just before it in the same
    // column, or left of it on the same row (read out of turn), "!" where it reaches out of the
    // group box before it.
    std::wstring Labels() const {
        RECT window{}, label{}, r{}, both{}, last{}, group{};
        ::GetClientRect(m_dialog, &window);
        std::wstring labels = TextOf(m_dialog);
        std::vector<RECT> before;
        for (HWND c = ::GetWindow(m_dialog, GW_CHILD); c != nullptr; c = ::GetWindow(c, GW_HWNDNEXT)) {
            const int id = ::GetDlgCtrlID(c), is = ::SendMessageW(c, WM_GETDLGCODE, 0, 0), box = is & DLGC_HASSETSEL;
            ::GetWindowRect(c, &r), ::MapWindowPoints(nullptr, m_dialog, reinterpret_cast<POINT*>(&r), 2);
            const bool beside = label.right <= r.left && label.bottom > r.top && label.top < r.bottom;
            if (r.right > window.right || r.bottom > window.bottom || !::IsWindowVisible(c)) continue;
            const bool right = (is & DLGC_STATIC) && (::GetWindowLongW(c, GWL_STYLE) & SS_TYPEMASK) == SS_RIGHT;
            labels += !box ? (label = r, (right ? L"|>" : L"|") + TextOf(c)) : beside ? L"" : L"|?";
            const bool stop = ::GetWindowLongW(c, GWL_STYLE) & WS_TABSTOP;
            labels += id > 0 && id < 0xFFFF ? (stop ? L"=" : L":") + std::to_wstring(id) : stop ? L"=" : L"";
            for (const RECT& o : before) labels += ::IntersectRect(&both, &o, &r) ? L"^" : L"";
            const bool above = r.bottom <= last.top && r.right > last.left, left = r.right <= last.left;
            labels += above || (left && r.top < last.bottom && r.bottom > last.top) ? L"<" : L"";
            const bool frame = (::GetWindowLongW(c, GWL_STYLE) & BS_TYPEMASK) == BS_GROUPBOX;
            labels += !frame && (::UnionRect(&both, &group, &r), !::EqualRect(&both, &group)) ? L"!" : L"";
            frame ? void(group = r) : before.push_back(last = r);
        }
        return labels;
    }
    // The four settings boxes' texts: host, port, login, workstation name.
    std::vector<std::wstring> Boxes() const {
        return {Text(IDC_SERVER_HOST), Text(IDC_SERVER_PORT), Text(IDC_ADMIN_LOGIN), Text(IDC_WORKSTATION_NAME)};
    }
    std::wstring Cue(int id) const {
        wchar_t cue[256] = {};
        return ::SendMessageW(Item(id), EM_GETCUEBANNER, reinterpret_cast<WPARAM>(cue), 256), cue;
    }
    bool Has(int id) const { return Item(id) != nullptr; }
    bool Enabled(int id) const { return Has(id) && ::IsWindowEnabled(Item(id)) != FALSE; }
    bool Checked(int id) const { return ::IsDlgButtonChecked(m_dialog, id) == BST_CHECKED; }
    std::vector<bool> Buttons() const { return {Enabled(IDC_START), Enabled(IDC_STOP), Enabled(IDC_RESTART)}; }
    // How the window presents itself: centred on the work area, a task-bar button, a tool window,
    // system-modal, a close button, a modal frame, Enter for OK, above all other windows, the
    // program's icon (big, small and dragged alike).
    std::wstring Frame() const {
        RECT window{}, area{};
        ::GetWindowRect(m_dialog, &window), ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
        const bool centred = std::abs(window.left + window.right - area.left - area.right) <= 2 &&
                             std::abs(window.top + window.bottom - area.top - area.bottom) <= 2;
        const LONG style = ::GetWindowLongW(m_dialog, GWL_STYLE), ex = ::GetWindowLongW(m_dialog, GWL_EXSTYLE);
        const LRESULT big = Send(WM_GETICON, ICON_BIG);
        return std::wstring(centred ? L"centred" : L"elsewhere") + (ex & WS_EX_APPWINDOW ? L", task-bar button" : L"") +
               (ex & WS_EX_TOOLWINDOW ? L", tool window" : L"") + (style & DS_SYSMODAL ? L", system-modal" : L"") +
               (style & WS_SYSMENU ? L", close button" : L"") + (ex & WS_EX_DLGMODALFRAME ? L", modal frame" : L"") +
               (LOWORD(Send(DM_GETDEFID)) == IDOK ? L", Enter: OK" : L"") + (ex & WS_EX_TOPMOST ? L", topmost" : L"") +
               (big != 0 && Send(WM_GETICON, ICON_SMALL) == big && Send(WM_QUERYDRAGICON) == big ? L", its icon" : L"");
    }
    // The control that has the focus; negative for a push button that has it without being made the
    // default, as the dialog manager makes it (Enter would press another).
    int Focus() const {
        const HWND f = ::GetFocus();
        const bool undefault = ::SendMessageW(f, WM_GETDLGCODE, 0, 0) & DLGC_UNDEFPUSHBUTTON;
        return ::IsChild(m_dialog, f) ? ::GetDlgCtrlID(f) * (undefault ? -1 : 1) : 0;
    }
    bool Ended() const { return ::IsWindowVisible(m_dialog) == FALSE; }  // EndDialog hides it at once
    // How many of the four settings boxes have a sunken border and show a text as typed (left-aligned,
    // no case change, no masking), whole in the dialogs' font (a port's five digits, a host's twenty
    // characters), and take one longer than they show, with no limit of their own (the system's: 30000).
    int LongTextBoxes() const {
        int boxes = 0;
        for (int id : kSettingsBoxes)
            boxes +=
                Send(EM_GETLIMITTEXT, 0, id) >= 30000 && (::GetWindowLongW(Item(id), GWL_EXSTYLE) & WS_EX_CLIENTEDGE) &&
                Shows(Item(id), id == IDC_SERVER_PORT ? L"65535" : L"backup01.example.com") &&
                (::GetWindowLongW(Item(id), GWL_STYLE) & (ES_AUTOHSCROLL | ES_PASSWORD | ES_UPPERCASE | ES_LOWERCASE |
                                                          ES_READONLY | ES_CENTER | ES_RIGHT)) == ES_AUTOHSCROLL;
        return boxes;
    }
    // The text fits in the box, across and in height, in the dialogs' own font (upright "MS Shell Dlg").
    static bool Shows(HWND box, const std::wstring& text) {
        RECT client;
        SIZE size;
        LOGFONTW font{};
        const HFONT shown = HFONT(::SendMessageW(box, WM_GETFONT, 0, 0));
        const HDC dc = ::GetDC(box);
        ::SelectObject(dc, shown), ::GetClientRect(box, &client), ::GetObjectW(shown, sizeof font, &font);
        return ::GetTextExtentPoint32W(dc, text.c_str(), int(text.size()), &size), ::ReleaseDC(box, dc),
               size.cx < client.right && size.cy <= client.bottom && !font.lfItalic &&
                   std::wstring(font.lfFaceName) == L"MS Shell Dlg";
    }
    // A message to the dialog, or to its control `id`.
    LRESULT Send(UINT message, WPARAM w = 0, int id = 0) const { return ::SendMessageW(Item(id), message, w, 0); }

private:
    static std::wstring TextOf(HWND window) {
        std::wstring text(static_cast<size_t>(::GetWindowTextLengthW(window)) + 1, L'\0');
        return text.resize(size_t(::GetWindowTextW(window, &text[0], int(text.size())))), text;
    }
    HWND Item(int id) const { return id == 0 ? m_dialog : ::GetDlgItem(m_dialog, id); }  // 0: the caption
    // Lets the dialog handle what the action posted, as its modal loop would.
    void Pump() {
        for (MSG message; ::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE);)  // not the driver's own timer
            if ((message.message != WM_TIMER || message.hwnd != nullptr) && !::IsDialogMessageW(m_dialog, &message))
                ::DispatchMessageW(&message);
    }
    HWND m_dialog;
};

// The texts the three dialogs share, as Labels gives them.
inline const std::wstring kHostLabels =
    L">Server host name=1000|>Port=1004|Network name or IP-address of the machine where Halvane Server is installed.";
inline const std::wstring kLoginLabels =
    L">Backup administrator login =1001|Login name (with domain or computer name) of a user who is authorized to do "
    L"backup of local data from a remote machine (where Halvane Server is installed).";

// The security flag as a save stores it: always the library's default.
inline const std::string kDefaultSecurity =
    std::string("\"secured\": ") + (CorvexParameters::Defaults::isSecured ? "true" : "false");

// The message boxes shown, one line each: text|caption|type|owned|focus, and "|wait" under the wait cursor.
inline std::wstring Described(const std::vector<ShownMessageBox>& boxes) {
    std::wstring lines;
    for (const auto& b : boxes)
        lines += b.text + L"|" + b.caption + L"|" + std::to_wstring(b.type) + L"|" + std::to_wstring(b.owned) + L"|" +
                 std::to_wstring(b.focus) + (b.wait ? L"|wait\n" : L"\n");
    return lines;
}

// The firewall's rules, one line each: program|name.
inline std::wstring Rules(const platform::FakeFirewall& firewall) {
    std::wstring rules;
    for (const auto& rule : firewall.rules) rules += rule.executablePath + L"|" + rule.name + L"\n";
    return rules;
}

// Space pressed again while the window does not respond, through the system's input queue.
inline void PressSpaceAgain() {
    INPUT keys[2]{{INPUT_KEYBOARD, {}}, {INPUT_KEYBOARD, {}}};
    keys[0].ki.wVk = keys[1].ki.wVk = VK_SPACE, keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
    ::SendInput(2, keys, sizeof(INPUT));
}

// The services the tests arrange behind the seam, and the manager's errors as the boxes tell them.
inline void Running(platform::FakeServiceManager& s) { s.state = SERVICE_RUNNING; }
inline void StopRefused(platform::FakeServiceManager& s) { s.state = SERVICE_RUNNING, s.FailCall("Control", 0, 1052); }
inline void StartNotDone(platform::FakeServiceManager& s) { s.stateAfterStart = SERVICE_STOPPED; }
inline const std::wstring kEmptyHost =
    L"The server host name is empty. Enter the network name or IP address of the backup server.";
inline const wchar_t kUnknown[] = L"Unknown system error", k1056[] = L"Unknown system error. Code: 1056";

// What RunModal gives for a dialog that the user left open (the driver then ends it): the code
// of a dialog that could not be shown.
constexpr INT_PTR kLeftOpen = -1;

// Calls `show` (a DoModal or a whole run of the program) and, once its modal loop idles with a
// dialog on screen, runs `user` on it. Gives what `show` gives.
inline INT_PTR RunModal(const std::function<INT_PTR()>& show, const std::function<void(DialogDriver&)>& user) {
    static const std::function<void(DialogDriver&)>* pending;
    static UINT_PTR timer;
    struct Idle {
        static BOOL CALLBACK Find(HWND w, LPARAM found) {  // stops at the first dialog on screen
            wchar_t name[16] = {};
            ::GetClassNameW(w, name, 16);
            return !(::IsWindowVisible(w) && !::lstrcmpW(name, L"#32770") && (*reinterpret_cast<HWND*>(found) = w));
        }
        static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD) {
            HWND dialog = nullptr;
            ::EnumThreadWindows(::GetCurrentThreadId(), Find, reinterpret_cast<LPARAM>(&dialog));
            if (dialog == nullptr || pending == nullptr) return;  // not on screen yet
            DialogDriver driver(dialog);
            ::KillTimer(nullptr, timer), (*std::exchange(pending, nullptr))(driver);
            if (!driver.Ended()) ::EndDialog(dialog, kLeftOpen);
        }
    };
    pending = &user, timer = ::SetTimer(nullptr, 0, USER_TIMER_MINIMUM, Idle::OnTimer);
    const INT_PTR result = show();
    if (pending != nullptr) ::KillTimer(nullptr, timer), pending = nullptr;  // never on screen
    return result;
}

// Runs a whole program that must show no dialog (a silent mode, a failing start): one that
// shows anyway fails the test and is ended, rather than waiting for a user who never comes.
inline int RunWithoutDialogs(CWinApp& app) {
    return static_cast<int>(RunModal([&] { return static_cast<INT_PTR>(AfxWinMain(app)); },
                                     [](DialogDriver&) { ADD_FAILURE() << "a dialog was shown"; }));
}

struct DialogTest : ::testing::Test {
    DialogTest() {
        bench.StoreAgentSettings(L"backup.example.com", 65535, L"CORP\\backup", L"WS-01"), app.InitAppTitle();
    }
    INT_PTR Run(CDialog& dialog, const std::function<void(DialogDriver&)>& user) {
        return RunModal([&] { return dialog.DoModal(); }, user);
    }
    // The boxes' texts, each followed by its caption and type unless they are the program's name and 16 (an error).
    std::vector<std::wstring> Shown() const {
        std::vector<std::wstring> texts;
        for (const auto& b : bench.prompts.messageBoxes) {
            const std::wstring how = L"|" + b.caption + L"|" + std::to_wstring(b.type);
            texts.push_back(how == L"|SetupClient|16" ? b.text : b.text + how);
        }
        return texts;
    }

    AppBench bench;
    CSetupClientApp app;
};

}  // namespace testing_support

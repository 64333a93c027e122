// The settings dialog base, through the workstation configuration dialog: the data exchange's
// refusals, with the focus on the refused control, and its painting when minimised. The value
// rules themselves are the library's native tables.
#include "dialog_bench.h"
#include "dialogs/client_configuration_dlg.h"
#include "framework/data_exchange.h"

namespace {

using testing_support::DialogDriver;

struct BadInput {
    const char* name;
    int control;
    std::wstring text, shown;  // shown: the box as Described gives it; empty: typing is refused, only digits arrive
    bool paste = false;        // into the digits-only port box too
};

class BadInputTest : public testing_support::DialogTest, public ::testing::WithParamInterface<BadInput> {};

// Owned by the dialog; the library's refusals focus the control before telling, the number prompt after.
// Cancel then closes the dialog without a word.
TEST_P(BadInputTest, IsRefusedOnceWithTheFocusOnItsControlAndNothingStored) {
    const BadInput& c = GetParam();
    const std::string before = bench.AgentStoreBytes();
    CClientConfigurationDlg dialog;
    int queries = 0;  // of the service's state, before OK
    Run(dialog, [&](DialogDriver& w) {
        EXPECT_EQ(w.Type(c.control, c.text, c.paste), !c.shown.empty());
        queries = bench.services.Count("QueryStatus"), w.Click(IDOK);
        if (c.shown.empty()) return;
        EXPECT_EQ(std::make_tuple(w.Ended(), w.Focus(), w.Text(c.control), w.Send(EM_GETSEL, 0, c.control)),
                  std::make_tuple(false, c.control, c.text, LRESULT(MAKELONG(0, c.text.size()))));  // to type again
        EXPECT_TRUE(w.Click(IDCANCEL) && w.Ended()) << "Cancel reads no control and closes";
    });
    EXPECT_EQ(testing_support::Described(bench.prompts.messageBoxes), c.shown);
    // Nothing stored, no step taken, not even a look at the service (but where only the digit of "-1"
    // arrived, a port the library takes).
    const int steps = bench.services.Count("Start") + bench.services.Count("Control") + bench.firewall.adds +
                      bench.services.Count("QueryStatus") - queries;
    EXPECT_TRUE(c.shown.empty() || (bench.AgentStoreBytes() == before && steps == 0)) << steps;
}

const std::wstring kOutOfRange = L"The server port must be a number from 1 to 65535.|SetupClient|48|1|1004\n";
const std::wstring kNotANumber = std::wstring(kPromptUnsignedNumber) + L"|SetupClient|48|1|1\n",
                   kNameContains = L"The workstation name contains \"",
                   kLetters = L"\". Use letters A to Z, digits and hyphens only.|SetupClient|48|1|1002\n";
// clang-format off
INSTANTIATE_TEST_SUITE_P(Inputs, BadInputTest, ::testing::Values(
    BadInput{"HostWithTrailingBlanks", IDC_SERVER_HOST, L"backup" + std::wstring(250, L' '),  // as typed, whole
             L"The server host name is longer than 255 characters.|SetupClient|48|1|1000\n"},
    BadInput{"LoginWithATagCharacter", IDC_ADMIN_LOGIN, L"CORP\\user\U000E0041",  // its code point from two units
             L"The backup administrator login contains an invisible formatting character (U+E0041, such as a "
             L"zero-width space or a text direction mark), so it would not be stored as it looks. Remove it, for "
             L"example by typing the value again.|SetupClient|48|1|1001\n"},
    BadInput{"LoginEndingWithABlank", IDC_ADMIN_LOGIN, L"backup ", L"The backup administrator login begins or ends "
             L"with a blank. Remove the blanks around it.|SetupClient|48|1|1001\n"},
    // Characters of two units, the first and the last pair (D800 DC00, DBFF DFFF), shown whole.
    BadInput{"NameWithTheFirstPair", IDC_WORKSTATION_NAME, L"\U00010000ws", kNameContains + L"\U00010000" + kLetters},
    BadInput{"NameWithTheLastPair", IDC_WORKSTATION_NAME, L"\U0010FFFF", kNameContains + L"\U0010FFFF" + kLetters},
    BadInput{"PortPastedWithLetters", IDC_SERVER_PORT, L"9750abc", kNotANumber, true},
    BadInput{"PortPastedWithABlankInside", IDC_SERVER_PORT, L"97 50", kNotANumber, true},
    BadInput{"PortPastedWithAWideDigit", IDC_SERVER_PORT, L"9750\uFF10", kNotANumber, true},
    BadInput{"PortPastedWithAThinSpace", IDC_SERVER_PORT, L"9750\u2009", kNotANumber, true},
    BadInput{"PortNegative", IDC_SERVER_PORT, L"-1", L""}, BadInput{"PortEmpty", IDC_SERVER_PORT, L"", kNotANumber},
    // 0 and 65536 (0 in 16 bits) are told at the port's box, not only by the library, which names none.
    BadInput{"Port65536", IDC_SERVER_PORT, L"65536", kOutOfRange}, BadInput{"Port0", IDC_SERVER_PORT, L"0", kOutOfRange},
    BadInput{"Port2To32Less1", IDC_SERVER_PORT, L"4294967295", kOutOfRange},
    BadInput{"Port2To32", IDC_SERVER_PORT, L"4294967296", kNotANumber}));
// clang-format on

// Minimised, the dialog has the icon's background erased (with its class's brush, grey here) and
// draws its icon in the middle, counted from its window's corner: what the system draws, to the
// pixel. Not minimised, it draws no icon over a dialog's own background.
using PaintTest = testing_support::DialogTest;
TEST_F(PaintTest, OnlyMinimisedItDrawsItsIconCentredOnTheIconBackground) {
    CClientConfigurationDlg dialog;
    Run(dialog, [&](DialogDriver& w) {
        const HWND window = ::GetActiveWindow();
        const LONG_PTR brush = ::SetClassLongPtrW(window, GCLP_HBRBACKGROUND, LONG_PTR(::GetStockObject(GRAY_BRUSH)));
        for (HWND c = ::GetWindow(window, GW_CHILD); c; c = ::GetWindow(c, GW_HWNDNEXT)) ::ShowWindow(c, SW_HIDE);
        int differing = 0;
        for (const bool minimised : {false, true}) {
            RECT client{}, square{0, 0, 34, 34};  // the icon and a pixel around it
            ::SetWindowLongW(window, GWL_STYLE, ::GetWindowLongW(window, GWL_STYLE) | (minimised ? WS_MINIMIZE : 0));
            ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW), ::GetClientRect(window, &client);
            const HDC shown = ::GetWindowDC(window), expected = ::CreateCompatibleDC(shown);
            const HGDIOBJ bitmap = ::SelectObject(expected, ::CreateCompatibleBitmap(shown, 34, 34));
            ::FillRect(expected, &square,
                       minimised ? HBRUSH(::GetStockObject(GRAY_BRUSH)) : ::GetSysColorBrush(COLOR_3DFACE));
            if (minimised) ::DrawIcon(expected, 1, 1, HICON(w.Send(WM_GETICON, ICON_BIG)));
            for (int i = 0; i < 34 * 34; ++i)
                differing += ::GetPixel(expected, i % 34, i / 34) !=
                             ::GetPixel(shown, (client.right - 33) / 2 + i % 34, (client.bottom - 33) / 2 + i / 34);
            ::DeleteObject(::SelectObject(expected, bitmap)), ::DeleteDC(expected), ::ReleaseDC(window, shown);
        }
        ::SetClassLongPtrW(window, GCLP_HBRBACKGROUND, brush);
        EXPECT_EQ(differing, 0);
    });
}

}  // namespace

// Bad input typed into the workstation configuration dialog: every value is refused with
// one clear message, the dialog stays open on the field, and the stored settings stay byte
// for byte as they were. Values at the edge of what is allowed are stored as typed.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "../params/temp_folder.h"
#include "app/setup_client_app.h"
#include "app_bench.h"
#include "dialogs/client_configuration_dlg.h"
#include "platform/utf8.h"
#include "res/resource.h"

namespace {

using framework::HeadlessWindow;
using testing_support::AppBench;

struct BadInput {
    const char* name;
    int control;
    std::wstring text;
    const wchar_t* fragment;  // a part of the message; nullptr: the value is accepted
};

// The port's edit control takes digits only: a text with anything else is refused as it is
// typed (the field keeps its digits, and nothing reaches the library).
const wchar_t kTypingRefused[] = L"(typing refused)";

void PrintTo(const BadInput& c, std::ostream* os) { *os << c.name; }

const std::wstring k64KiB(64 * 1024, L'a');
const wchar_t kNumber[] = L"positive integer";
const wchar_t kPortRange[] = L"1 to 65535";

const BadInput kCases[] = {
    // Empty and blanks.
    {"HostEmpty", IDC_SERVER_HOST, L"", L"empty"},
    {"HostBlanks", IDC_SERVER_HOST, L"   ", L"blank"},
    {"LoginEmpty", IDC_ADMIN_LOGIN, L"", L"empty"},
    {"LoginBlanks", IDC_ADMIN_LOGIN, L"   ", L"blank"},
    {"NameEmpty", IDC_WORKSTATION_NAME, L"", L"empty"},
    {"NameBlanks", IDC_WORKSTATION_NAME, L"  ", L"blank"},
    {"PortEmpty", IDC_SERVER_PORT, L"", kNumber},
    {"PortBlanks", IDC_SERVER_PORT, L"   ", kTypingRefused},
    // 64 KiB strings.
    {"Host64KiB", IDC_SERVER_HOST, k64KiB, L"255"},
    {"Login64KiB", IDC_ADMIN_LOGIN, k64KiB, L"255"},
    {"Name64KiB", IDC_WORKSTATION_NAME, k64KiB, L"255"},
    {"Port64KiBDigits", IDC_SERVER_PORT, std::wstring(64 * 1024, L'9'), kNumber},
    // Control characters.
    {"HostNul", IDC_SERVER_HOST, std::wstring(L"backup") + L'\0' + L"x", L"control"},
    {"HostEscape", IDC_SERVER_HOST, L"backup\x1b", L"control"},
    {"LoginNewline", IDC_ADMIN_LOGIN, L"CORP\\back\nup", L"control"},
    {"LoginTab", IDC_ADMIN_LOGIN, L"CORP\\back\tup", L"control"},
    {"NameCarriageReturn", IDC_WORKSTATION_NAME, L"WS\r1", L"control"},
    {"PortNewline", IDC_SERVER_PORT, L"80\n", kTypingRefused},
    // Characters outside the Basic Multilingual Plane.
    {"HostNonBmp", IDC_SERVER_HOST, L"backup\U0001F600.example", L"xn--"},
    {"NameNonBmp", IDC_WORKSTATION_NAME, L"WS\U0001F600", L"name"},
    {"LoginNonBmpAccepted", IDC_ADMIN_LOGIN, L"CORP\\user\U0001F600", nullptr},
    {"HostLoneSurrogate", IDC_SERVER_HOST, std::wstring(L"backup") + static_cast<wchar_t>(0xD800), L"not valid Unicode"},
    // Ports.
    {"PortZero", IDC_SERVER_PORT, L"0", kPortRange},
    {"PortMaxAccepted", IDC_SERVER_PORT, L"65535", nullptr},
    {"PortOneAccepted", IDC_SERVER_PORT, L"1", nullptr},
    {"Port65536", IDC_SERVER_PORT, L"65536", kPortRange},
    {"Port2To32", IDC_SERVER_PORT, L"4294967296", kNumber},
    {"Port2To64", IDC_SERVER_PORT, L"18446744073709551616", kNumber},
    {"PortNegative", IDC_SERVER_PORT, L"-1", kTypingRefused},
    {"PortPlusSign", IDC_SERVER_PORT, L"+80", kTypingRefused},
    {"PortHex", IDC_SERVER_PORT, L"0x50", kTypingRefused},
    {"PortExponent", IDC_SERVER_PORT, L"1e3", kTypingRefused},
    {"PortFullWidthDigits", IDC_SERVER_PORT, L"\uff18\uff10", kTypingRefused},
    {"PortLeadingZerosAccepted", IDC_SERVER_PORT, L"009750", nullptr},
    {"PortLeadingZerosOfZero", IDC_SERVER_PORT, L"0000", kPortRange},
    {"PortLeadingZerosAbove16Bits", IDC_SERVER_PORT, L"0065536", kPortRange},
    // Host names with invalid labels.
    {"HostEmptyLabel", IDC_SERVER_HOST, L"backup..example", L"empty part"},
    {"HostLabelHyphenFirst", IDC_SERVER_HOST, L"-backup.example", L"hyphen"},
    {"HostLabelHyphenLast", IDC_SERVER_HOST, L"backup-.example", L"hyphen"},
    {"HostLabel64", IDC_SERVER_HOST, std::wstring(64, L'b') + L".example", L"63"},
    {"HostUnderscore", IDC_SERVER_HOST, L"back_up.example", L"\"_\""},
    {"HostNumericTop", IDC_SERVER_HOST, L"backup.123", L"digits only"},
    {"HostIpv4LeadingZero", IDC_SERVER_HOST, L"010.1.2.3", L"IPv4"},
    {"HostUrl", IDC_SERVER_HOST, L"https://backup.example", L"IPv6"},
    {"HostWithPort", IDC_SERVER_HOST, L"backup.example:9750", L"IPv6"},
    // IPv6 with zones.
    {"HostIpv6ZoneName", IDC_SERVER_HOST, L"fe80::1%eth0", L"zone"},
    {"HostIpv6ZoneNumber", IDC_SERVER_HOST, L"fe80::1%12", L"zone"},
    {"HostIpv6ZoneBracketed", IDC_SERVER_HOST, L"[fe80::1%25eth0]", L"zone"},
    {"HostIpv6Accepted", IDC_SERVER_HOST, L"fe80::1", nullptr},
    // Login forms.
    {"LoginTwoBackslashes", IDC_ADMIN_LOGIN, L"A\\B\\C", L"more than one backslash"},
    {"LoginQuote", IDC_ADMIN_LOGIN, L"CORP\\us\"er", L"\"\"\""},
    {"NameTypedDomain", IDC_WORKSTATION_NAME, L"ws.example.com", L"dot"},
};

class DialogBadInputTest : public ::testing::TestWithParam<BadInput> {
protected:
    DialogBadInputTest() {
        bench.StoreAgentSettings(L"backup.example.com", 9750, L"CORP\\backup", L"WS-01");
        app.InitAppTitle();
    }

    std::string StoreBytes() {
        const std::wstring store = bench.folders.programData + L"\\Quentara\\Corvex Workstation\\Settings\\";
        return params_test::ReadBytes(store + L"user.json") + params_test::ReadBytes(store + L"workstation.json");
    }

    AppBench bench;
    CSetupClientApp app;
};

TEST_P(DialogBadInputTest, IsRefusedWithAClearMessageAndNothingStored) {
    const BadInput& c = GetParam();
    const std::string before = StoreBytes();
    CClientConfigurationDlg dialog;
    bool ended = false;
    bool typed = false;
    int focus = 0;
    std::wstring kept;
    bench.ui.onDialog = [&](HeadlessWindow& w) {
        typed = w.Type(c.control, c.text);
        w.Click(IDOK);
        ended = w.Ended();
        if (!ended) {
            focus = w.Focus();
            kept = w.Text(c.control);
            w.Click(IDCANCEL);
        }
    };
    dialog.DoModal();
    std::wstring message = bench.ui.messageBoxes.empty() ? L"" : bench.ui.messageBoxes[0].text;
    // One line of the table in docs/RELIABILITY.md.
    std::printf("BAD-INPUT %s | %s | %s\n", c.name,
                !typed ? "typing refused" : ended ? "stored" : "refused", platform::WideToUtf8Lossy(message).c_str());
    if (c.fragment == kTypingRefused) {
        EXPECT_FALSE(typed) << "the digits-only field took other characters";
        EXPECT_EQ(bench.ReadAgentSettings().port, 9750) << "the port is the one it had";
        EXPECT_TRUE(bench.ui.messageBoxes.empty());
        return;
    }
    EXPECT_TRUE(typed);
    if (c.fragment == nullptr) {
        EXPECT_TRUE(ended) << "refused a good value: " << testing::PrintToString(message);
        EXPECT_TRUE(bench.ui.messageBoxes.empty());
        return;
    }
    EXPECT_FALSE(ended) << "a bad value closed the dialog";
    ASSERT_EQ(bench.ui.messageBoxes.size(), 1u) << "exactly one message";
    EXPECT_NE(message.find(c.fragment), std::wstring::npos) << testing::PrintToString(message);
    EXPECT_LT(message.size(), 400u) << "a message, not a dump of the value";
    EXPECT_EQ(focus, c.control) << "the focus goes to the refused field";
    EXPECT_EQ(kept, c.text) << "the typed value stays in the field";
    EXPECT_EQ(StoreBytes(), before) << "nothing stored";
    EXPECT_EQ(bench.services.startRequests, 0);
    EXPECT_EQ(bench.firewall.adds, 0);
}

INSTANTIATE_TEST_SUITE_P(Inputs, DialogBadInputTest, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<BadInput>& info) { return std::string(info.param.name); });

}  // namespace

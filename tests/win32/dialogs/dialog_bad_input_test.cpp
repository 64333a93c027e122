// Bad input typed into the workstation configuration dialog: every value is refused with
// one clear message, the dialog stays open on the field, and the stored settings stay byte
// for byte as they were. Values at the edge of what is allowed are stored as typed. The rules
// themselves are the library's table (tests/unit/params/validation_test.cpp); here each kind
// of input goes once through the dialog, each field is refused at least once, and the port
// meets every check on its way: the digits-only field, the number check, the 32-bit field and
// the library's range.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "dialog_fixture.h"
#include "dialogs/client_configuration_dlg.h"
#include "platform/utf8.h"
#include "res/resource.h"

namespace {

using testing_support::DialogDriver;

struct BadInput {
    const char* name;
    int control;
    std::wstring text;
    const wchar_t* fragment;  // a part of the message; nullptr: the value is accepted
};

// The port's edit control takes digits only: what is not a digit is refused as it is typed,
// so the field holds the digits alone (and OK stores them).
const wchar_t kTypingRefused[] = L"(typing refused)";

void PrintTo(const BadInput& c, std::ostream* os) { *os << c.name; }

const wchar_t kNumber[] = L"positive integer";
const wchar_t kPortRange[] = L"1 to 65535";

const BadInput kCases[] = {
    // Empty, blanks, 64 KiB, control characters, letters outside the Basic Multilingual Plane.
    {"HostEmpty", IDC_SERVER_HOST, L"", L"empty"},
    {"LoginBlanks", IDC_ADMIN_LOGIN, L"   ", L"blank"},
    {"Name64KiB", IDC_WORKSTATION_NAME, std::wstring(64 * 1024, L'a'), L"255"},
    {"LoginTab", IDC_ADMIN_LOGIN, L"CORP\\back\tup", L"control"},
    {"HostNonBmp", IDC_SERVER_HOST, L"backup\U0001F600.example", L"xn--"},
    {"LoginNonBmpAccepted", IDC_ADMIN_LOGIN, L"CORP\\user\U0001F600", nullptr},
    // Host names with invalid labels, IPv6 with zones.
    {"HostLabelHyphenFirst", IDC_SERVER_HOST, L"-backup.example", L"hyphen"},
    {"HostIpv6ZoneName", IDC_SERVER_HOST, L"fe80::1%eth0", L"zone"},
    {"HostIpv6Accepted", IDC_SERVER_HOST, L"fe80::1", nullptr},
    // Ports.
    {"PortEmpty", IDC_SERVER_PORT, L"", kNumber},
    {"PortNegative", IDC_SERVER_PORT, L"-1", kTypingRefused},
    {"PortZero", IDC_SERVER_PORT, L"0", kPortRange},
    {"PortMaxAccepted", IDC_SERVER_PORT, L"65535", nullptr},
    {"Port65536", IDC_SERVER_PORT, L"65536", kPortRange},
    {"Port65537", IDC_SERVER_PORT, L"65537", kPortRange},  // would be port 1 in 16 bits
    {"Port2To32", IDC_SERVER_PORT, L"4294967296", kNumber},
    {"PortLeadingZerosAccepted", IDC_SERVER_PORT, L"009750", nullptr},
};

class DialogBadInputTest : public testing_support::DialogFixture, public ::testing::WithParamInterface<BadInput> {};

TEST_P(DialogBadInputTest, IsRefusedWithAClearMessageAndNothingStored) {
    const BadInput& c = GetParam();
    const std::string before = bench.AgentStoreBytes();
    CClientConfigurationDlg dialog;
    bool ended = false;
    bool typed = false;
    int focus = 0;
    std::wstring kept;
    Run(dialog, [&](DialogDriver& w) {
        typed = w.Type(c.control, c.text);
        w.Click(IDOK);
        ended = w.Ended();
        if (!ended) {
            focus = w.Focus();
            kept = w.Text(c.control);
            w.Click(IDCANCEL);
        }
    });
    const auto& boxes = bench.prompts.messageBoxes;
    const std::wstring message = boxes.empty() ? L"" : boxes[0].text;
    // One line of the table in docs/RELIABILITY.md.
    std::printf("BAD-INPUT %s | %s | %s\n", c.name,
                !typed ? "typing refused" : ended ? "stored" : "refused", platform::WideToUtf8Lossy(message).c_str());
    if (c.fragment == kTypingRefused) {
        EXPECT_FALSE(typed) << "the digits-only field took other characters";
        EXPECT_TRUE(ended);
        EXPECT_EQ(bench.ReadAgentSettings().port, 1) << "only the digit of \"-1\" was typed";
        EXPECT_TRUE(boxes.empty());
        return;
    }
    EXPECT_TRUE(typed);
    if (c.fragment == nullptr) {
        EXPECT_TRUE(ended) << "refused a good value: " << testing::PrintToString(message);
        EXPECT_TRUE(boxes.empty());
        return;
    }
    EXPECT_FALSE(ended) << "a bad value closed the dialog";
    ASSERT_EQ(boxes.size(), 1u) << "exactly one message";
    EXPECT_NE(message.find(c.fragment), std::wstring::npos) << testing::PrintToString(message);
    EXPECT_LT(message.size(), 400u) << "a message, not a dump of the value";
    EXPECT_EQ(boxes[0].type, static_cast<UINT>(MB_OK | MB_ICONEXCLAMATION));
    // The library's refusals focus the field before the message; the framework's number
    // prompt comes first and focuses afterwards.
    if (c.fragment != kNumber) {
        EXPECT_EQ(boxes[0].focus, c.control) << "the field has the focus when told";
    }
    EXPECT_EQ(focus, c.control) << "the focus stays on the refused field";
    EXPECT_EQ(kept, c.text) << "the typed value stays in the field";
    EXPECT_EQ(bench.AgentStoreBytes(), before) << "nothing stored";
    EXPECT_EQ(bench.services.Count("Start"), 0) << "no service step after a refusal";
    EXPECT_EQ(bench.firewall.adds, 0) << "no firewall step after a refusal";
}

INSTANTIATE_TEST_SUITE_P(Inputs, DialogBadInputTest, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<BadInput>& info) { return std::string(info.param.name); });

}  // namespace

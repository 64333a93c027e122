// Data exchange: the number rule, radio groups, and the lock on the dialog's own writes.
#include <gtest/gtest.h>

#include "app_bench.h"
#include "framework/afxwin.h"
#include "res/resource.h"

namespace {

struct NumberCase {
    const wchar_t* text;
    bool accepted;
    UINT value;
};

class UnsignedNumberTest : public ::testing::TestWithParam<NumberCase> {};

TEST_P(UnsignedNumberTest, ReadsOnlyUnsignedDecimals) {
    UINT value = 777;
    EXPECT_EQ(ParseUnsignedDecimal(GetParam().text, value), GetParam().accepted);
    if (GetParam().accepted) {
        EXPECT_EQ(value, GetParam().value);
    }
}

INSTANTIATE_TEST_SUITE_P(Table, UnsignedNumberTest,
                         ::testing::Values(NumberCase{L"9750", true, 9750}, NumberCase{L" 42 ", true, 42},
                                           NumberCase{L"007", true, 7}, NumberCase{L"0", true, 0},
                                           NumberCase{L"4294967295", true, 4294967295u},
                                           NumberCase{L"4294967296", false, 0}, NumberCase{L"  ", false, 0},
                                           NumberCase{L"-1", false, 0}, NumberCase{L"+1", false, 0},
                                           NumberCase{L"1 2", false, 0}, NumberCase{L"0x10", false, 0},
                                           NumberCase{L"\x0661\x0662", false, 0}));

// A dialog on the kit's template that exchanges the port and the radio group, and counts the
// change notifications that reach it.
class ProbeDialog : public CDialog {
public:
    ProbeDialog() : CDialog(IDD_CREATE_PACKET) {}
    const MessageMap* GetMessageMap() const override {
        static const MessageMapEntry entries[] = {MapCommand(EN_CHANGE, IDC_SERVER_HOST, &ProbeDialog::OnChange)};
        static const MessageMap map{CDialog::GetMessageMap(), entries, 1};
        return &map;
    }
    void DoDataExchange(CDataExchange* pDX) override {
        DDX_Text(pDX, IDC_SERVER_HOST, host);
        DDX_Text(pDX, IDC_SERVER_PORT, port);
        DDX_Radio(pDX, IDC_NAME_COMPUTER, choice);
    }
    void OnChange() { ++changes; }

    CString host = L"h";
    UINT port = 1;
    int choice = 0;
    int changes = 0;
};

TEST(DataExchange, TheDialogsOwnWritesAreNotEdits) {
    testing_support::AppBench bench;
    ProbeDialog dialog;
    bench.ui.onDialog = [&](framework::HeadlessWindow& w) {
        EXPECT_EQ(dialog.changes, 0);
        w.Type(IDC_SERVER_HOST, L"typed");
        EXPECT_EQ(dialog.changes, 1);
        dialog.UpdateData(FALSE);
        EXPECT_EQ(dialog.changes, 1);
        w.Click(IDCANCEL);
    };
    dialog.DoModal();
}

TEST(DataExchange, RadioGroupGivesTheCheckedIndexOrMinusOne) {
    testing_support::AppBench bench;
    ProbeDialog dialog;
    dialog.choice = 2;
    bench.ui.onDialog = [&](framework::HeadlessWindow& w) {
        EXPECT_TRUE(w.Checked(IDC_NAME_TYPED));
        EXPECT_FALSE(w.Checked(IDC_NAME_COMPUTER));
        w.Click(IDC_NAME_ASK);
        EXPECT_TRUE(dialog.UpdateData(TRUE));
        EXPECT_EQ(dialog.choice, 1);
        w.CheckItem(IDC_NAME_ASK, false);
        EXPECT_TRUE(dialog.UpdateData(TRUE));
        EXPECT_EQ(dialog.choice, -1);
        w.Click(IDCANCEL);
    };
    dialog.DoModal();
}

TEST(DataExchange, ABadNumberPromptsFocusesAndStopsTheExchange) {
    testing_support::AppBench bench;
    ProbeDialog dialog;
    bench.ui.onDialog = [&](framework::HeadlessWindow& w) {
        w.Click(IDC_NAME_ASK);
        w.Type(IDC_SERVER_PORT, L"");
        w.Type(IDC_SERVER_HOST, L"changed");
        EXPECT_FALSE(dialog.UpdateData(TRUE));
        EXPECT_EQ(w.Focus(), IDC_SERVER_PORT);
        EXPECT_EQ(dialog.host, L"changed") << "controls before the port were read";
        EXPECT_EQ(dialog.choice, 0) << "the radio group after the port was not";
        w.Click(IDOK);
        EXPECT_FALSE(w.Ended()) << "the framework's OK refuses a bad number too";
        w.Click(IDCANCEL);
    };
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    ASSERT_EQ(bench.ui.messageBoxes.size(), 2u);
    EXPECT_EQ(bench.ui.messageBoxes[0].text, kPromptUnsignedNumber);
    EXPECT_EQ(bench.ui.messageBoxes[0].type, MB_OK | MB_ICONEXCLAMATION);
}

TEST(MessageBoxes, GetTheUsualIconForTheirButtons) {
    testing_support::AppBench bench;
    CWinApp app(L"Title");
    AfxMessageBox(L"a");
    AfxMessageBox(L"b", MB_YESNOCANCEL);
    AfxMessageBox(L"c", MB_OK | MB_ICONINFORMATION);
    ASSERT_EQ(bench.ui.messageBoxes.size(), 3u);
    EXPECT_EQ(bench.ui.messageBoxes[0].type, MB_OK | MB_ICONEXCLAMATION);
    EXPECT_EQ(bench.ui.messageBoxes[1].type, MB_YESNOCANCEL | MB_ICONQUESTION);
    EXPECT_EQ(bench.ui.messageBoxes[2].type, MB_OK | MB_ICONINFORMATION);
    EXPECT_EQ(bench.ui.messageBoxes[2].caption, L"Title");
}

TEST(EntryPoint, AnExceptionThatEscapesIsShownAndEndsTheProgramCleanly) {
    struct Throwing : CWinApp {
        BOOL InitInstance() override { throw std::runtime_error("boom"); }
    };
    testing_support::AppBench bench;
    Throwing app;
    EXPECT_EQ(AfxWinMain(app), kExitUnexpectedError);
    ASSERT_EQ(bench.ui.messageBoxes.size(), 1u);
    EXPECT_EQ(bench.ui.messageBoxes[0].text, L"boom");
    EXPECT_EQ(bench.ui.messageBoxes[0].caption, L"Error!");
}

}  // namespace

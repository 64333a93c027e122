// Data exchange: the number rule and the lock on the dialog's own writes; message boxes; the entry point
// and its "Error!" box.
#include <gtest/gtest.h>

#include "app_bench.h"
#include "dialog_driver.h"
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

// A dialog on the kit's template that exchanges the host and counts the change notifications
// that reach it. (The radio group and the number prompt are the kit and settings dialogs' tests.)
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
    }
    void OnChange() { ++changes; }

    CString host = L"h";
    int changes = 0;
};

TEST(DataExchange, TheDialogsOwnWritesAreNotEdits) {
    testing_support::AppBench bench;
    ProbeDialog dialog;
    testing_support::RunModal([&] { return dialog.DoModal(); }, [&](testing_support::DialogDriver& w) {
        EXPECT_EQ(dialog.changes, 0);
        w.Type(IDC_SERVER_HOST, L"typed");
        EXPECT_EQ(dialog.changes, 1);
        dialog.UpdateData(FALSE);
        EXPECT_EQ(dialog.changes, 1);
        w.Click(IDCANCEL);
    });
}

TEST(MessageBoxes, GetTheUsualIconForTheirButtons) {
    testing_support::AppBench bench;
    CWinApp app(L"Title");
    AfxMessageBox(L"a");
    AfxMessageBox(L"b", MB_YESNOCANCEL);
    AfxMessageBox(L"c", MB_OK | MB_ICONINFORMATION);
    ASSERT_EQ(bench.prompts.messageBoxes.size(), 3u);
    EXPECT_EQ(bench.prompts.messageBoxes[0].type, MB_OK | MB_ICONEXCLAMATION);
    EXPECT_EQ(bench.prompts.messageBoxes[1].type, MB_YESNOCANCEL | MB_ICONQUESTION);
    EXPECT_EQ(bench.prompts.messageBoxes[2].type, MB_OK | MB_ICONINFORMATION);
    EXPECT_EQ(bench.prompts.messageBoxes[2].caption, L"Title");
}

TEST(EntryPoint, AnExceptionThatEscapesIsShownAndEndsTheProgramCleanly) {
    struct Throwing : CWinApp {
        BOOL InitInstance() override { throw std::runtime_error("boom at cli\xC3\xA9nt"); }
    };
    testing_support::AppBench bench;
    Throwing app;
    EXPECT_EQ(AfxWinMain(app), kExitUnexpectedError);
    ASSERT_EQ(bench.prompts.messageBoxes.size(), 1u);
    // The UTF-8 of the text shows as the characters it encodes, whatever the ANSI code page.
    EXPECT_EQ(bench.prompts.messageBoxes[0].text, L"boom at cli\u00e9nt");
    EXPECT_EQ(bench.prompts.messageBoxes[0].caption, L"Error!");
    EXPECT_EQ(bench.prompts.messageBoxes[0].type, static_cast<UINT>(MB_OK | MB_ICONERROR));
    EXPECT_FALSE(bench.prompts.messageBoxes[0].owned);
}

}  // namespace

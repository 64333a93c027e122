// Choosing the installer file: the save dialog, the ".exe" rule and the replace question.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "packet_bench.h"

namespace {

using testing_support::PacketBench;
using testing_support::TestPacketDlg;

TEST(ChooseOutputFile, AsksWithTheKitsSaveDialogThatAsksNothingItself) {
    PacketBench bench;
    bench.ui.fileAnswers.push_back(std::nullopt);
    TestPacketDlg dialog;
    dialog.ChooseOutputFile();
    ASSERT_EQ(bench.ui.fileDialogs.size(), 1u);
    const framework::FileDialogState& state = bench.ui.fileDialogs[0].state;
    EXPECT_TRUE(state.save);
    EXPECT_EQ(state.defaultExtension, L"exe");
    EXPECT_EQ(state.fileName, L"CorvexWorkstation_setup.exe");
    EXPECT_EQ(state.flags, 0u);  // no replace prompt of the dialog's own
    using Filter = std::pair<std::wstring, std::wstring>;
    EXPECT_EQ(state.filters, (std::vector<Filter>{{L"Executive Files (*.exe)", L"*.exe"},
                                                  {L"All Files (*.*)", L"*.*"}}));
}

// The ".exe" rule, on a path where nothing exists yet.
struct ExtensionCase {
    const wchar_t* chosen;
    const wchar_t* result;
};

class ExeRuleTest : public ::testing::TestWithParam<ExtensionCase> {};

TEST_P(ExeRuleTest, AppendsExeUnlessTheLastFourCharactersAreExeInAnyCase) {
    PacketBench bench;
    bench.ui.fileAnswers.push_back(bench.PathInRoot(GetParam().chosen));
    TestPacketDlg dialog;
    EXPECT_EQ(dialog.ChooseOutputFile(), bench.PathInRoot(GetParam().result));
    EXPECT_TRUE(bench.ui.messageBoxes.empty());
}

INSTANTIATE_TEST_SUITE_P(Names, ExeRuleTest,
                         ::testing::Values(ExtensionCase{L"kit", L"kit.exe"}, ExtensionCase{L"KIT.ExE", L"KIT.ExE"},
                                           ExtensionCase{L"setup.exe.bak", L"setup.exe.bak.exe"},
                                           ExtensionCase{L"kitexe", L"kitexe.exe"}));

TEST(ExeRule, APathShorterThanTheExtensionGetsItAppended) {
    PacketBench bench;
    bench.ui.fileAnswers.push_back(std::wstring(L"exe"));
    TestPacketDlg dialog;
    EXPECT_EQ(dialog.ChooseOutputFile(), L"exe.exe");
}

TEST(ExeRule, TheExistenceTestLooksAtThePathWithTheExtension) {
    PacketBench bench;
    ASSERT_EQ(bench.files.WriteAndFlush(bench.PathInRoot(L"kit.exe"), "old"), 0u);
    bench.ui.fileAnswers.push_back(bench.PathInRoot(L"kit"));
    bench.ui.answers.push_back(IDYES);
    TestPacketDlg dialog;
    EXPECT_EQ(dialog.ChooseOutputFile(), bench.PathInRoot(L"kit.exe"));
    EXPECT_EQ(bench.ui.messageBoxes.size(), 1u);
}

// The replace question for a file that exists.
struct ReplaceCase {
    const char* name;
    std::vector<int> answers;                               // to the replace questions, in order
    std::vector<std::optional<std::wstring>> fileChoices;  // relative to the bench's folder
    std::optional<std::wstring> result;                    // relative; nullopt for the empty path
    size_t questions;
    size_t fileDialogs;
};

class ReplaceQuestionTest : public ::testing::TestWithParam<ReplaceCase> {};

TEST_P(ReplaceQuestionTest, YesKeepsThePathNoAsksAgainCancelGivesUp) {
    PacketBench bench;
    ASSERT_EQ(bench.files.WriteAndFlush(bench.PathInRoot(L"old.exe"), "old"), 0u);
    ASSERT_EQ(bench.files.WriteAndFlush(bench.PathInRoot(L"other.exe"), "other"), 0u);
    const ReplaceCase& c = GetParam();
    for (int answer : c.answers) bench.ui.answers.push_back(answer);
    for (const auto& choice : c.fileChoices) {
        bench.ui.fileAnswers.push_back(choice ? std::optional<std::wstring>(bench.PathInRoot(*choice)) : std::nullopt);
    }
    TestPacketDlg dialog;
    const std::wstring chosen = dialog.ChooseOutputFile();
    EXPECT_EQ(chosen, c.result ? bench.PathInRoot(*c.result) : std::wstring());
    EXPECT_EQ(bench.ui.messageBoxes.size(), c.questions);
    EXPECT_EQ(bench.ui.fileDialogs.size(), c.fileDialogs);
    EXPECT_EQ(bench.ui.unanswered, 0);
    for (const auto& shown : bench.ui.messageBoxes) EXPECT_EQ(shown.type, MB_YESNOCANCEL | MB_ICONQUESTION);
}

INSTANTIATE_TEST_SUITE_P(
    Answers, ReplaceQuestionTest,
    ::testing::Values(
        ReplaceCase{"cancel_in_the_dialog", {}, {std::nullopt}, std::nullopt, 0, 1},
        ReplaceCase{"yes_builds_over_it", {IDYES}, {std::wstring(L"old.exe")}, std::wstring(L"old.exe"), 1, 1},
        ReplaceCase{"cancel_gives_up", {IDCANCEL}, {std::wstring(L"old.exe")}, std::nullopt, 1, 1},
        ReplaceCase{"no_then_a_new_name", {IDNO}, {std::wstring(L"old.exe"), std::wstring(L"new")},
                    std::wstring(L"new.exe"), 1, 2},
        ReplaceCase{"no_then_cancel_in_the_dialog", {IDNO}, {std::wstring(L"old.exe"), std::nullopt}, std::nullopt,
                    1, 2},
        ReplaceCase{"no_then_another_existing_file_asks_again",
                    {IDNO, IDYES},
                    {std::wstring(L"old.exe"), std::wstring(L"other")},
                    std::wstring(L"other.exe"),
                    2,
                    2}),
    [](const ::testing::TestParamInfo<ReplaceCase>& info) { return std::string(info.param.name); });

TEST(ReplaceQuestion, NamesThePathInQuotes) {
    PacketBench bench;
    const std::wstring existing = bench.PathInRoot(L"old 100%.exe");
    ASSERT_EQ(bench.files.WriteAndFlush(existing, "old"), 0u);
    bench.ui.fileAnswers.push_back(existing);
    bench.ui.answers.push_back(IDCANCEL);
    TestPacketDlg dialog;
    dialog.ChooseOutputFile();
    ASSERT_EQ(bench.ui.messageBoxes.size(), 1u);
    EXPECT_EQ(bench.ui.messageBoxes[0].text, L"\"" + existing + L"\" already exists. Do you want to replace it?");
}

TEST(ReplaceQuestion, TheDialogShownAgainStartsFromThePreviousChoice) {
    PacketBench bench;
    const std::wstring existing = bench.PathInRoot(L"old.exe");
    ASSERT_EQ(bench.files.WriteAndFlush(existing, "old"), 0u);
    bench.ui.fileAnswers.push_back(existing);
    bench.ui.fileAnswers.push_back(std::nullopt);
    bench.ui.answers.push_back(IDNO);
    TestPacketDlg dialog;
    dialog.ChooseOutputFile();
    ASSERT_EQ(bench.ui.fileDialogs.size(), 2u);
    EXPECT_EQ(bench.ui.fileDialogs[1].state.fileName, existing);
}

}  // namespace

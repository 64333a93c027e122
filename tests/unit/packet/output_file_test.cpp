// Choosing the installer file: the save dialog, the ".exe" rule and the replace question.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "packet_bench.h"

namespace {

using testing_support::KitTest;
using OutputFileTest = KitTest;

TEST_F(OutputFileTest, AsksWithTheKitsSaveDialogThatAsksNothingItself) {
    bench.prompts.fileAnswers.push_back(std::nullopt);
    dialog.ChooseOutputFile();
    ASSERT_EQ(bench.prompts.fileDialogs.size(), 1u);
    const framework::FileDialogState& state = bench.prompts.fileDialogs[0].state;
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

class ExeRuleTest : public KitTest, public ::testing::WithParamInterface<ExtensionCase> {};

TEST_P(ExeRuleTest, AppendsExeUnlessTheLastFourCharactersAreExeInAnyCase) {
    bench.prompts.fileAnswers.push_back(bench.PathInRoot(GetParam().chosen));
    EXPECT_EQ(dialog.ChooseOutputFile(), bench.PathInRoot(GetParam().result));
    EXPECT_TRUE(bench.prompts.messageBoxes.empty());
}

INSTANTIATE_TEST_SUITE_P(Names, ExeRuleTest,
                         ::testing::Values(ExtensionCase{L"kit", L"kit.exe"}, ExtensionCase{L"KIT.ExE", L"KIT.ExE"},
                                           ExtensionCase{L"setup.exe.bak", L"setup.exe.bak.exe"},
                                           ExtensionCase{L"kitexe", L"kitexe.exe"}));

TEST_F(OutputFileTest, APathShorterThanTheExtensionGetsItAppended) {
    bench.prompts.fileAnswers.push_back(std::wstring(L"exe"));
    EXPECT_EQ(dialog.ChooseOutputFile(), L"exe.exe");
}

// The replace question for a file that exists (after the ".exe" rule).
struct ReplaceCase {
    const char* name;
    std::vector<int> answers;                               // to the replace questions, in order
    std::vector<std::optional<std::wstring>> fileChoices;  // relative to the bench's folder
    std::optional<std::wstring> result;                    // relative; nullopt for the empty path
    size_t questions;
};

class ReplaceQuestionTest : public KitTest, public ::testing::WithParamInterface<ReplaceCase> {};

TEST_P(ReplaceQuestionTest, YesKeepsThePathNoAsksAgainCancelGivesUp) {
    ASSERT_EQ(bench.files.WriteNewFile(bench.PathInRoot(L"old.exe"), "old", false), 0u);
    ASSERT_EQ(bench.files.WriteNewFile(bench.PathInRoot(L"other.exe"), "other", false), 0u);
    const ReplaceCase& c = GetParam();
    for (int answer : c.answers) bench.prompts.answers.push_back(answer);
    for (const auto& choice : c.fileChoices) {
        bench.prompts.fileAnswers.push_back(choice ? std::optional<std::wstring>(bench.PathInRoot(*choice)) : std::nullopt);
    }
    EXPECT_EQ(dialog.ChooseOutputFile(), c.result ? bench.PathInRoot(*c.result) : std::wstring());
    EXPECT_EQ(bench.prompts.messageBoxes.size(), c.questions);
    EXPECT_EQ(bench.prompts.fileDialogs.size(), c.fileChoices.size());
    EXPECT_EQ(bench.prompts.unanswered, 0);
    for (const auto& shown : bench.prompts.messageBoxes) EXPECT_EQ(shown.type, MB_YESNOCANCEL | MB_ICONQUESTION);
}

INSTANTIATE_TEST_SUITE_P(
    Answers, ReplaceQuestionTest,
    ::testing::Values(
        ReplaceCase{"cancel_in_the_dialog", {}, {std::nullopt}, std::nullopt, 0},
        ReplaceCase{"yes_builds_over_it", {IDYES}, {std::wstring(L"old")}, std::wstring(L"old.exe"), 1},
        ReplaceCase{"cancel_gives_up", {IDCANCEL}, {std::wstring(L"old.exe")}, std::nullopt, 1},
        ReplaceCase{"no_then_a_new_name", {IDNO}, {std::wstring(L"old.exe"), std::wstring(L"new")},
                    std::wstring(L"new.exe"), 1},
        ReplaceCase{"no_then_cancel_in_the_dialog", {IDNO}, {std::wstring(L"old.exe"), std::nullopt}, std::nullopt, 1},
        ReplaceCase{"no_then_another_existing_file_asks_again",
                    {IDNO, IDYES},
                    {std::wstring(L"old.exe"), std::wstring(L"other")},
                    std::wstring(L"other.exe"),
                    2}),
    [](const ::testing::TestParamInfo<ReplaceCase>& info) { return std::string(info.param.name); });

TEST_F(OutputFileTest, TheQuestionNamesThePathInQuotesAndTheNextDialogStartsFromIt) {
    const std::wstring existing = bench.PathInRoot(L"old 100%.exe");
    ASSERT_EQ(bench.files.WriteNewFile(existing, "old", false), 0u);
    bench.prompts.fileAnswers.push_back(existing);
    bench.prompts.fileAnswers.push_back(std::nullopt);
    bench.prompts.answers.push_back(IDNO);
    dialog.ChooseOutputFile();
    ASSERT_EQ(bench.prompts.messageBoxes.size(), 1u);
    EXPECT_EQ(bench.prompts.messageBoxes[0].text, L"\"" + existing + L"\" already exists. Do you want to replace it?");
    ASSERT_EQ(bench.prompts.fileDialogs.size(), 2u);
    EXPECT_EQ(bench.prompts.fileDialogs[1].state.fileName, existing);
}

}  // namespace

// The firewall exception: added once, found again on later calls, and true only when the rule
// list really holds it afterwards.
#include <gtest/gtest.h>

#include "params/corvex_parameters.h"
#include "platform/fake/fake_firewall.h"
#include "platform/platform.h"

namespace {

const wchar_t kAgent[] = L"C:\\Program Files\\Quentara\\Corvex Workstation\\CorvexWorkstation.exe";
const wchar_t kEntry[] = L"Corvex Workstation x64";

class FirewallExceptionTest : public ::testing::Test {
protected:
    FirewallExceptionTest() : seams_(MakeSeams()) {}
    platform::Seams MakeSeams() {
        platform::Seams seams;
        seams.firewall = &firewall_;
        return seams;
    }
    platform::FakeFirewall firewall_;
    platform::ScopedSeams seams_;
};

TEST_F(FirewallExceptionTest, MissingRuleIsAddedForTheExecutableUnderTheName) {
    EXPECT_TRUE(DisableWindowsFirewall(kAgent, kEntry));
    ASSERT_EQ(firewall_.rules.size(), 1u);
    EXPECT_EQ(firewall_.rules[0].executablePath, kAgent);
    EXPECT_EQ(firewall_.rules[0].name, kEntry);
}

TEST_F(FirewallExceptionTest, RepeatedCallsAddNoSecondRule) {
    EXPECT_TRUE(DisableWindowsFirewall(kAgent, kEntry));
    EXPECT_TRUE(DisableWindowsFirewall(kAgent, kEntry));
    EXPECT_TRUE(DisableWindowsFirewall(kAgent, kEntry));
    EXPECT_EQ(firewall_.rules.size(), 1u);
    EXPECT_EQ(firewall_.adds, 1);
}

TEST_F(FirewallExceptionTest, ExistingRuleWithOtherCaseAndNameIsEnough) {
    firewall_.rules.push_back({L"c:\\program files\\quentara\\corvex workstation\\corvexworkstation.exe", L"Mine"});
    EXPECT_TRUE(DisableWindowsFirewall(kAgent, kEntry));
    EXPECT_EQ(firewall_.adds, 0);
}

TEST_F(FirewallExceptionTest, DisabledOrBlockingRuleDoesNotCount) {
    firewall_.rules.push_back({kAgent, kEntry, false, true});
    firewall_.rules.push_back({kAgent, kEntry, true, false});
    EXPECT_TRUE(DisableWindowsFirewall(kAgent, kEntry));
    EXPECT_EQ(firewall_.adds, 1);
}

TEST_F(FirewallExceptionTest, RuleForAnotherProgramDoesNotCount) {
    firewall_.rules.push_back({L"C:\\Other\\CorvexWorkstation.exe", kEntry});
    EXPECT_TRUE(DisableWindowsFirewall(kAgent, kEntry));
    EXPECT_EQ(firewall_.adds, 1);
}

TEST_F(FirewallExceptionTest, UnreadableRuleListGivesFalseAndAddsNothing) {
    firewall_.lookupFails = true;
    EXPECT_FALSE(DisableWindowsFirewall(kAgent, kEntry));
    EXPECT_EQ(firewall_.adds, 0);
}

TEST_F(FirewallExceptionTest, RefusedRuleGivesFalse) {
    firewall_.addRefused = true;
    EXPECT_FALSE(DisableWindowsFirewall(kAgent, kEntry));
}

TEST_F(FirewallExceptionTest, AcceptedButUnstoredRuleGivesFalse) {
    firewall_.addIsIgnored = true;
    EXPECT_FALSE(DisableWindowsFirewall(kAgent, kEntry));
    EXPECT_EQ(firewall_.adds, 1);
}

TEST_F(FirewallExceptionTest, EmptyArgumentsGiveFalseWithoutTouchingTheFirewall) {
    EXPECT_FALSE(DisableWindowsFirewall(nullptr, kEntry));
    EXPECT_FALSE(DisableWindowsFirewall(L"", kEntry));
    EXPECT_FALSE(DisableWindowsFirewall(kAgent, nullptr));
    EXPECT_FALSE(DisableWindowsFirewall(kAgent, L""));
    EXPECT_EQ(firewall_.lookups, 0);
}

TEST(FirewallExceptionWithoutSeamTest, MissingFirewallGivesFalseNotAnException) {
    platform::ScopedSeams none{platform::Seams{}};
    EXPECT_FALSE(DisableWindowsFirewall(kAgent, kEntry));
}

}  // namespace

// The firewall exception: added once, found again on later calls, and true only when the rule
// list really holds it afterwards. (Which rules match a program is the firewall seam's own
// business, checked against the real firewall under Wine.)
#include <gtest/gtest.h>

#include "params/corvex_parameters.h"
#include "platform/fake/fake_firewall.h"
#include "platform/platform.h"

namespace {

const wchar_t kAgent[] = L"C:\\Program Files\\Quentara\\Corvex Workstation\\CorvexWorkstation.exe";
const wchar_t kEntry[] = L"Corvex Workstation x64";

class FirewallExceptionTest : public ::testing::Test {
protected:
    platform::FakeFirewall firewall_;
    platform::ScopedSeams seams_{[this] {
        platform::Seams seams;
        seams.firewall = &firewall_;
        return seams;
    }()};
};

struct FirewallCase {
    const char* name;
    bool ruleExists, lookupFails, addRefused, addIsIgnored;
    bool result;
    int adds;
};

class FirewallOutcomeTest : public FirewallExceptionTest, public ::testing::WithParamInterface<FirewallCase> {};

TEST_P(FirewallOutcomeTest, TrueOnlyWhenTheRuleListHoldsTheRuleAfterwards) {
    const FirewallCase& c = GetParam();
    if (c.ruleExists) firewall_.rules.push_back({kAgent, L"Mine"});
    firewall_.lookupFails = c.lookupFails;
    firewall_.addRefused = c.addRefused;
    firewall_.addIsIgnored = c.addIsIgnored;
    EXPECT_EQ(DisableWindowsFirewall(kAgent, kEntry), c.result);
    EXPECT_EQ(firewall_.adds, c.adds);
}

INSTANTIATE_TEST_SUITE_P(Table, FirewallOutcomeTest,
                         ::testing::Values(FirewallCase{"MissingRuleIsAdded", false, false, false, false, true, 1},
                                           FirewallCase{"ExistingRuleIsEnough", true, false, false, false, true, 0},
                                           FirewallCase{"UnreadableRuleList", false, true, false, false, false, 0},
                                           FirewallCase{"RefusedRule", false, false, true, false, false, 1},
                                           FirewallCase{"AcceptedButUnstored", false, false, false, true, false, 1}),
                         [](const auto& info) { return std::string(info.param.name); });

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

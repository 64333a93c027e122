// UTF-8 conversions: round trips, and refusal of every kind of ill-formed input.
#include <gtest/gtest.h>

#include <string>

#include "platform/utf8.h"

namespace {

TEST(Utf8Test, RoundTripKeepsEveryPlane) {
    const std::wstring text = L"A\u00e9\u6e2c\U0001F600\U0010FFFF";
    std::string utf8;
    ASSERT_TRUE(platform::WideToUtf8(text, utf8));
    EXPECT_EQ(utf8, "A\xc3\xa9\xe6\xb8\xac\xf0\x9f\x98\x80\xf4\x8f\xbf\xbf");
    std::wstring back;
    ASSERT_TRUE(platform::Utf8ToWide(utf8, back));
    EXPECT_EQ(back, text);
}

struct IllFormed {
    const char* test;
    std::string bytes;
};

void PrintTo(const IllFormed& c, std::ostream* os) { *os << c.test; }

class Utf8RefusalTest : public ::testing::TestWithParam<IllFormed> {};

TEST_P(Utf8RefusalTest, IllFormedBytesAreRefused) {
    std::wstring out;
    EXPECT_FALSE(platform::Utf8ToWide(GetParam().bytes, out));
}

INSTANTIATE_TEST_SUITE_P(
    Bytes, Utf8RefusalTest,
    ::testing::Values(IllFormed{"StrayContinuation", "a\x80"}, IllFormed{"OverlongSlash", "\xc0\xaf"},
                      IllFormed{"OverlongThreeBytes", "\xe0\x80\xaf"}, IllFormed{"EncodedSurrogate", "\xed\xa0\x80"},
                      IllFormed{"AboveMaximum", "\xf4\x90\x80\x80"}, IllFormed{"CutSequence", "\xe6\xb8"},
                      IllFormed{"InvalidLead", "\xff"}, IllFormed{"MissingContinuation", "\xc3("}),
    [](const ::testing::TestParamInfo<IllFormed>& info) { return std::string(info.param.test); });

TEST(Utf8Test, LoneSurrogateIsNotEncoded) {
    const std::wstring text = std::wstring(L"a") + static_cast<wchar_t>(0xDC00) + L"b";
    std::string out;
    EXPECT_FALSE(platform::WideToUtf8(text, out));
    EXPECT_FALSE(platform::IsWellFormedWide(text));
    EXPECT_EQ(platform::WideToUtf8Lossy(text), "a\xef\xbf\xbd" "b");
}

}  // namespace

#include "platform/utf8.h"

#include <iterator>

#include <boost/locale/encoding_utf.hpp>

namespace platform {
namespace {

namespace utf = boost::locale::utf;

// The library's converter with the stop method: it throws on anything ill-formed.
template <typename To, typename From>
bool Convert(const std::basic_string<From>& in, std::basic_string<To>& out) {
    try {
        out = boost::locale::conv::utf_to_utf<To>(in, boost::locale::conv::stop);
        return true;
    } catch (const boost::locale::conv::conversion_error&) {
        out.clear();
        return false;
    }
}

}  // namespace

bool WideToUtf8(const std::wstring& text, std::string& out) { return Convert(text, out); }

bool Utf8ToWide(const std::string& bytes, std::wstring& out) { return Convert(bytes, out); }

bool IsWellFormedWide(const std::wstring& text) {
    std::string ignored;
    return WideToUtf8(text, ignored);
}

std::string WideToUtf8Lossy(const std::wstring& text) {
    std::string out;
    for (auto it = text.begin(); it != text.end();) {
        const auto start = it;
        utf::code_point c = utf::utf_traits<wchar_t>::decode(it, text.end());
        if (c == utf::illegal || c == utf::incomplete) {
            c = 0xFFFD;
            it = start + 1;  // only the unit that could not start a character is replaced
        }
        utf::utf_traits<char>::encode(c, std::back_inserter(out));
    }
    return out;
}

std::size_t Utf8WellFormedPrefix(const std::string& bytes) {
    auto it = bytes.begin();
    while (it != bytes.end()) {
        auto next = it;
        const utf::code_point c = utf::utf_traits<char>::decode(next, bytes.end());
        if (c == utf::illegal || c == utf::incomplete) break;
        it = next;
    }
    return static_cast<std::size_t>(it - bytes.begin());
}

}  // namespace platform

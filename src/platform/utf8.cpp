#include "platform/utf8.h"

#include <cstdint>
#include <type_traits>

namespace platform {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool IsSurrogate(char32_t c) { return c >= 0xD800 && c <= 0xDFFF; }

// Reads the next scalar value of a wide text. False on an ill-formed unit, which it skips.
bool NextScalar(const std::wstring& text, std::size_t& i, char32_t& c) {
    const char32_t unit = static_cast<char32_t>(static_cast<std::make_unsigned<wchar_t>::type>(text[i++]));
    if (sizeof(wchar_t) == 2 && unit >= 0xD800 && unit <= 0xDBFF && i < text.size()) {
        const char32_t low = static_cast<char32_t>(static_cast<std::make_unsigned<wchar_t>::type>(text[i]));
        if (low >= 0xDC00 && low <= 0xDFFF) {
            ++i;
            c = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
            return true;
        }
    }
    c = unit;
    return !IsSurrogate(unit) && unit <= 0x10FFFF;
}

void AppendUtf8(char32_t c, std::string& out) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

void AppendWide(char32_t c, std::wstring& out) {
    if (sizeof(wchar_t) == 2 && c >= 0x10000) {
        c -= 0x10000;
        out += static_cast<wchar_t>(0xD800 + (c >> 10));
        out += static_cast<wchar_t>(0xDC00 + (c & 0x3FF));
    } else {
        out += static_cast<wchar_t>(c);
    }
}

}  // namespace

bool WideToUtf8(const std::wstring& text, std::string& out) {
    out.clear();
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        char32_t c = 0;
        if (!NextScalar(text, i, c)) return false;
        AppendUtf8(c, out);
    }
    return true;
}

std::string WideToUtf8Lossy(const std::wstring& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size();) {
        char32_t c = 0;
        AppendUtf8(NextScalar(text, i, c) ? c : kReplacement, out);
    }
    return out;
}

bool IsWellFormedWide(const std::wstring& text) {
    for (std::size_t i = 0; i < text.size();) {
        char32_t c = 0;
        if (!NextScalar(text, i, c)) return false;
    }
    return true;
}

namespace {

// Decodes the UTF-8 character that begins at `i`; its length in bytes, or 0 when the bytes
// there are not a well-formed character.
std::size_t DecodeUtf8(const std::string& bytes, std::size_t i, char32_t& c) {
    const std::uint8_t lead = static_cast<std::uint8_t>(bytes[i]);
    std::size_t length = 0;
    char32_t minimum = 0;
    if (lead < 0x80) {
        length = 1, c = lead;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, c = lead & 0x1F, minimum = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, c = lead & 0x0F, minimum = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, c = lead & 0x07, minimum = 0x10000;
    } else {
        return 0;
    }
    if (bytes.size() - i < length) return 0;
    for (std::size_t k = 1; k < length; ++k) {
        const std::uint8_t next = static_cast<std::uint8_t>(bytes[i + k]);
        if ((next & 0xC0) != 0x80) return 0;
        c = (c << 6) | (next & 0x3F);
    }
    if (c < minimum || IsSurrogate(c) || c > 0x10FFFF) return 0;
    return length;
}

}  // namespace

bool Utf8ToWide(const std::string& bytes, std::wstring& out) {
    out.clear();
    out.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size();) {
        char32_t c = 0;
        const std::size_t length = DecodeUtf8(bytes, i, c);
        if (length == 0) return false;
        AppendWide(c, out);
        i += length;
    }
    return true;
}

std::size_t Utf8WellFormedPrefix(const std::string& bytes) {
    std::size_t i = 0;
    char32_t c = 0;
    for (std::size_t length = 0; i < bytes.size() && (length = DecodeUtf8(bytes, i, c)) != 0;) i += length;
    return i;
}

}  // namespace platform

#include "params/settings_format.h"

#include <nlohmann/json.hpp>

#include <set>
#include <stdexcept>
#include <vector>

#include "params/text_rules.h"
#include "params/validation_rules.h"
#include "platform/utf8.h"

namespace params {
namespace {

using Json = nlohmann::json;
using OrderedJson = nlohmann::ordered_json;

const char kFormatVersion[] = "formatVersion";
const char kRole[] = "role";
const char kServerHost[] = "serverHost";
const char kServerPort[] = "serverPort";
const char kSecured[] = "secured";
const char kLogin[] = "login";
const char kWorkstationName[] = "workstationName";
const char kSystemSupplied[] = "systemSupplied";

[[noreturn]] void Fail(const std::string& reason) { throw std::runtime_error(reason); }

std::string ToUtf8(const std::wstring& text) {
    std::string out;
    if (!platform::WideToUtf8(text, out)) Fail("a value is not valid Unicode text");
    return out;
}

// Texts quoted in messages are cut to this many characters.
constexpr std::size_t kQuotedCharacters = 40;
constexpr std::size_t kUncut = static_cast<std::size_t>(-1);

// Text for a message, as the user would see it in an editor: well-formed UTF-8, with control
// and invisible format characters written as <U+200B> and anything ill-formed as U+FFFD. A
// text longer than `limit` characters keeps its first ones, or with `keepEnd` its last ones.
std::string Visible(const std::wstring& text, std::size_t limit = kQuotedCharacters, bool keepEnd = false,
                    bool cut = false) {
    std::vector<std::size_t> starts;  // where each character begins
    for (std::size_t i = 0, units = 1; i < text.size(); i += units) {
        starts.push_back(i);
        CharacterAt(text, i, units);
    }
    const std::size_t count = starts.size();
    cut = cut || count > limit;
    const std::size_t first = cut && keepEnd && count > limit ? count - limit : 0;
    const std::size_t last = cut && !keepEnd && count > limit ? limit : count;
    std::wstring shown = cut && keepEnd ? L"..." : L"";
    for (std::size_t k = first; k < last; ++k) {
        std::size_t units = 1;
        const char32_t c = CharacterAt(text, starts[k], units);
        if (IsControlCharacter(c) || IsFormatCharacter(c)) {
            shown += L"<" + CodePointName(c) + L">";
        } else {
            shown.append(text, starts[k], units);
        }
    }
    if (cut && !keepEnd) shown += L"...";
    return platform::WideToUtf8Lossy(shown);
}

std::string Visible(const std::string& utf8, std::size_t limit = kQuotedCharacters, bool keepEnd = false) {
    // A character takes at most four bytes: decode only the part that can be shown.
    std::size_t begin = 0;
    std::size_t end = utf8.size();
    const bool cut = limit < utf8.size() / 4;
    if (cut && keepEnd) begin = utf8.size() - 4 * limit;
    if (cut && !keepEnd) end = 4 * limit;
    while (begin < end && (static_cast<unsigned char>(utf8[begin]) & 0xC0) == 0x80) ++begin;
    while (end > begin && end < utf8.size() && (static_cast<unsigned char>(utf8[end]) & 0xC0) == 0x80) --end;
    std::wstring wide;
    std::wstring piece;
    for (std::size_t i = begin; i < end;) {
        const std::size_t good = platform::Utf8WellFormedPrefix(utf8.substr(i, end - i));
        platform::Utf8ToWide(utf8.substr(i, good), piece);
        wide += piece;
        i += good;
        if (i < end) wide += static_cast<wchar_t>(0xFFFD), ++i;
    }
    return Visible(wide, limit, keepEnd, cut);
}

// "line 3, column 17" of the byte at `offset`, counting characters (a UTF-8 byte order mark
// is not one).
std::string Where(const std::string& bytes, std::size_t offset) {
    std::size_t line = 1;
    std::size_t column = 1;
    const std::size_t start = bytes.compare(0, 3, "\xef\xbb\xbf") == 0 ? 3 : 0;
    for (std::size_t i = start; i < offset && i < bytes.size(); ++i) {
        const unsigned char byte = static_cast<unsigned char>(bytes[i]);
        if (byte == '\n') {
            ++line, column = 1;
        } else if ((byte & 0xC0) != 0x80) {
            ++column;
        }
    }
    return "line " + std::to_string(line) + ", column " + std::to_string(column);
}

// The encoding of a file written in UTF-16 or UTF-32, told by its byte order mark or, without
// one, by the zero bytes around the first characters (which are ASCII in every settings
// file); nullptr for anything else.
const char* WideEncoding(const std::string& bytes) {
    const auto starts = [&](const char* prefix, std::size_t size) { return bytes.compare(0, size, prefix, size) == 0; };
    if (starts("\xff\xfe\0\0", 4)) return "UTF-32 (little-endian, with a byte order mark)";
    if (starts("\0\0\xfe\xff", 4)) return "UTF-32 (big-endian, with a byte order mark)";
    if (starts("\xff\xfe", 2)) return "UTF-16 (little-endian, with a byte order mark)";
    if (starts("\xfe\xff", 2)) return "UTF-16 (big-endian, with a byte order mark)";
    if (bytes.size() < 4) return nullptr;
    const bool zero[4] = {bytes[0] == 0, bytes[1] == 0, bytes[2] == 0, bytes[3] == 0};
    if (zero[0] && zero[1] && zero[2] && !zero[3]) return "UTF-32 (big-endian, without a byte order mark)";
    if (!zero[0] && zero[1] && zero[2] && zero[3]) return "UTF-32 (little-endian, without a byte order mark)";
    if (zero[0] && !zero[1] && zero[2] && !zero[3]) return "UTF-16 (big-endian, without a byte order mark)";
    if (!zero[0] && zero[1] && !zero[2] && zero[3]) return "UTF-16 (little-endian, without a byte order mark)";
    return nullptr;
}

// What must hold before the bytes are JSON: UTF-8 text without a NUL byte (the JSON parser
// would take a NUL for the end of the file and ignore what follows).
void CheckText(const std::string& bytes) {
    if (const char* encoding = WideEncoding(bytes)) {
        Fail(std::string("it is saved in the encoding ") + encoding +
             ", which this program does not read; open it in a text editor and save it again with the encoding "
             "UTF-8");
    }
    const std::size_t nul = bytes.find('\0');
    if (nul != std::string::npos) {
        Fail("it holds a NUL byte (a zero byte) at " + Where(bytes, nul) + ", which a settings file never holds");
    }
    const std::size_t good = platform::Utf8WellFormedPrefix(bytes);
    if (good < bytes.size()) {
        static const char kHex[] = "0123456789ABCDEF";
        const unsigned char byte = static_cast<unsigned char>(bytes[good]);
        Fail(std::string("it is not UTF-8 text: the byte 0x") + kHex[byte >> 4] + kHex[byte & 15] + " at " +
             Where(bytes, good) +
             " is not part of a UTF-8 character (the file may have been saved in another encoding, such as "
             "Windows-1252); save it again with the encoding UTF-8");
    }
}

// The JSON parser's message without its tag ("[json.exception.parse_error.101] "), its place
// counted in characters, and the text it quotes in the user's characters: the parser quotes
// bytes, and may stop in the middle of a character.
std::string DescribeJsonError(const Json::exception& e, const std::string& bytes) {
    std::string text = e.what();
    const auto tagEnd = text.find("] ");
    if (text.rfind("[json.exception", 0) == 0 && tagEnd != std::string::npos) text.erase(0, tagEnd + 2);
    const auto* parseError = dynamic_cast<const Json::parse_error*>(&e);
    if (parseError == nullptr) return Visible(text, kUncut);
    const std::size_t read = parseError->byte;  // bytes read, the offending one included
    const std::string place = "parse error at line ";
    const auto placeEnd = text.find(": ");
    if (text.rfind(place, 0) == 0 && placeEnd != std::string::npos) {
        text.replace(0, placeEnd, "parse error at " + Where(bytes, read == 0 ? 0 : read - 1));
    }
    const std::string lastRead = "; last read: '";
    const auto quoted = text.find(lastRead);
    if (quoted == std::string::npos || text.back() != '\'') return Visible(text, kUncut);
    const std::size_t start = quoted + lastRead.size();
    std::string token = text.substr(start, text.size() - 1 - start);
    for (std::size_t next = read; platform::Utf8WellFormedPrefix(token) < token.size() && next < bytes.size() &&
                                  (static_cast<unsigned char>(bytes[next]) & 0xC0) == 0x80;
         ++next) {
        token += bytes[next];
    }
    return Visible(text.substr(0, quoted), kUncut) + "; last read: \"" + Visible(token, kQuotedCharacters, true) + "\"";
}

// Parses one JSON document, refusing a key that appears twice in the same object.
Json ParseDocument(const std::string& bytes) {
    CheckText(bytes);
    std::vector<std::set<std::string>> keysOfOpenObjects;
    std::string duplicate;
    const Json::parser_callback_t watch = [&](int, Json::parse_event_t event, Json& parsed) {
        switch (event) {
        case Json::parse_event_t::object_start: keysOfOpenObjects.emplace_back(); break;
        case Json::parse_event_t::object_end:
            if (!keysOfOpenObjects.empty()) keysOfOpenObjects.pop_back();
            break;
        case Json::parse_event_t::key:
            if (!keysOfOpenObjects.empty() && !keysOfOpenObjects.back().insert(parsed.get<std::string>()).second &&
                duplicate.empty()) {
                duplicate = parsed.get<std::string>();
            }
            break;
        default: break;
        }
        return true;
    };
    Json document;
    try {
        document = Json::parse(bytes.begin(), bytes.end(), watch);
    } catch (const Json::exception& e) {
        Fail("it is not valid JSON (" + DescribeJsonError(e, bytes) + ")");
    }
    if (!duplicate.empty()) Fail("the key \"" + Visible(duplicate) + "\" appears more than once");
    if (!document.is_object()) Fail("it does not hold a JSON object");
    return document;
}

// Checks that the object holds the expected keys and, when `only`, no other.
void RequireKeys(const Json& document, const std::vector<const char*>& expected, bool only = true) {
    for (const char* key : expected) {
        if (!document.contains(key)) Fail(std::string("the key \"") + key + "\" is missing");
    }
    if (!only) return;
    for (const auto& item : document.items()) {
        bool known = false;
        for (const char* key : expected) known = known || item.key() == key;
        if (!known) Fail("it holds the unknown key \"" + Visible(item.key()) + "\"");
    }
}

std::wstring GetString(const Json& document, const char* key) {
    const Json& value = document.at(key);
    if (!value.is_string()) Fail(std::string("the value of \"") + key + "\" is not a text");
    std::wstring wide;
    if (!platform::Utf8ToWide(value.get_ref<const std::string&>(), wide)) {
        Fail(std::string("the value of \"") + key + "\" is not valid UTF-8");
    }
    return wide;
}

bool GetBool(const Json& document, const char* key) {
    const Json& value = document.at(key);
    if (!value.is_boolean()) Fail(std::string("the value of \"") + key + "\" is not true or false");
    return value.get<bool>();
}

// A port: a whole number that fits 16 bits. Its range is told as the rule's (1 to 65535), which
// then refuses a 0 in its own words.
unsigned short GetPort(const Json& document, const char* key) {
    const Json& value = document.at(key);
    if (!value.is_number_unsigned() || value.get<unsigned long long>() > 65535) {
        Fail(std::string("the value of \"") + key + "\" is not a whole number from 1 to 65535");
    }
    return static_cast<unsigned short>(value.get<unsigned long long>());
}

// The keys that every file holds: the format version and the role. They are read before the
// other keys are looked at, so that a newer program's file, or another role's, is told as such
// and not as a file with an unknown or a missing key.
void CheckHeader(const Json& document, const std::wstring& role) {
    RequireKeys(document, {kFormatVersion, kRole}, false);
    const Json& version = document.at(kFormatVersion);
    if (!version.is_number_unsigned() || version.get<unsigned long long>() == 0) {
        Fail("the value of \"formatVersion\" is not a positive whole number");
    }
    if (version.get<unsigned long long>() > kSettingsFormatVersion) {
        Fail("it was written in format version " + std::to_string(version.get<unsigned long long>()) +
             " by a newer program; this one reads version " + std::to_string(kSettingsFormatVersion));
    }
    const std::wstring fileRole = GetString(document, kRole);
    if (fileRole != role) {
        Fail("it holds the settings of the role \"" + Visible(fileRole) + "\", not \"" + Visible(role) + "\"");
    }
}

// A stored value must pass the rule that a typed one does: a file that breaks it is damaged.
void RequireValid(const char* key, const std::string& shown, const std::wstring& message) {
    if (message.empty()) return;
    std::string reason = platform::WideToUtf8Lossy(message);
    if (!reason.empty() && reason.back() == '.') reason.pop_back();
    // A hand-typed "CORP\backup" reads as CORP, a backspace and "ackup": the file shows no control
    // character, only the backslash that made one.
    for (const char* escaped : {"<U+0008>", "<U+0009>", "<U+000A>", "<U+000C>", "<U+000D>"}) {
        if (shown.find(escaped) != std::string::npos) {
            reason += " (where the file shows a backslash before b, t, n, f or r, write the backslash twice)";
            break;
        }
    }
    Fail(std::string("the value of \"") + key + "\" (" + shown + ") is refused: " + reason);
}

std::string Dump(const OrderedJson& document) {
    return document.dump(2, ' ', false, OrderedJson::error_handler_t::strict) + "\n";
}

}  // namespace

std::string FormatUserSettings(const UserSettings& settings, const std::wstring& role) {
    OrderedJson document;
    document[kFormatVersion] = kSettingsFormatVersion;
    document[kRole] = ToUtf8(role);
    document[kServerHost] = ToUtf8(settings.serverHost);
    document[kServerPort] = settings.serverPort;
    document[kSecured] = settings.secured;
    document[kLogin] = ToUtf8(settings.login);
    return Dump(document);
}

std::string FormatWorkstationSettings(const WorkstationSettings& settings, const std::wstring& role) {
    OrderedJson document;
    document[kFormatVersion] = kSettingsFormatVersion;
    document[kRole] = ToUtf8(role);
    document[kWorkstationName] = ToUtf8(settings.name);
    document[kSystemSupplied] = settings.systemSupplied;
    return Dump(document);
}

UserSettings ParseUserSettings(const std::string& bytes, const std::wstring& role) {
    const Json document = ParseDocument(bytes);
    CheckHeader(document, role);
    RequireKeys(document, {kFormatVersion, kRole, kServerHost, kServerPort, kSecured, kLogin});
    UserSettings settings;
    settings.serverHost = GetString(document, kServerHost);
    settings.serverPort = GetPort(document, kServerPort);
    settings.secured = GetBool(document, kSecured);
    settings.login = GetString(document, kLogin);
    RequireValid(kServerHost, "\"" + Visible(settings.serverHost) + "\"", CheckServerHost(settings.serverHost));
    RequireValid(kServerPort, std::to_string(settings.serverPort), CheckServerPort(settings.serverPort));
    RequireValid(kLogin, "\"" + Visible(settings.login) + "\"", CheckLogin(settings.login));
    return settings;
}

WorkstationSettings ParseWorkstationSettings(const std::string& bytes, const std::wstring& role) {
    const Json document = ParseDocument(bytes);
    CheckHeader(document, role);
    RequireKeys(document, {kFormatVersion, kRole, kWorkstationName, kSystemSupplied});
    WorkstationSettings settings;
    settings.name = GetString(document, kWorkstationName);
    settings.systemSupplied = GetBool(document, kSystemSupplied);
    RequireValid(kWorkstationName, "\"" + Visible(settings.name) + "\"", CheckWorkstationName(settings.name));
    return settings;
}

}  // namespace params

#include "params/settings_format.h"

#include <nlohmann/json.hpp>

#include <set>
#include <stdexcept>
#include <vector>

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

// Parses one JSON document, refusing a key that appears twice in the same object.
Json ParseDocument(const std::string& bytes) {
    std::vector<std::set<std::string>> keysOfOpenObjects;
    std::string duplicate;
    const Json::parser_callback_t watch = [&](int, Json::parse_event_t event, Json& parsed) {
        switch (event) {
        case Json::parse_event_t::object_start:
            keysOfOpenObjects.emplace_back();
            break;
        case Json::parse_event_t::object_end:
            if (!keysOfOpenObjects.empty()) keysOfOpenObjects.pop_back();
            break;
        case Json::parse_event_t::key:
            if (!keysOfOpenObjects.empty() && !keysOfOpenObjects.back().insert(parsed.get<std::string>()).second &&
                duplicate.empty()) {
                duplicate = parsed.get<std::string>();
            }
            break;
        default:
            break;
        }
        return true;
    };
    Json document;
    try {
        document = Json::parse(bytes.begin(), bytes.end(), watch);
    } catch (const Json::exception& e) {
        // Drop the library's "[json.exception.parse_error.101] " tag; keep where and what.
        std::string text = e.what();
        const auto tagEnd = text.find("] ");
        if (text.rfind("[json.exception", 0) == 0 && tagEnd != std::string::npos) text.erase(0, tagEnd + 2);
        Fail("it is not valid JSON (" + text + ")");
    }
    if (!duplicate.empty()) Fail("the key \"" + duplicate + "\" appears more than once");
    if (!document.is_object()) Fail("it does not hold a JSON object");
    return document;
}

// Checks that the object holds exactly the expected keys.
void RequireKeys(const Json& document, const std::vector<const char*>& expected) {
    for (const char* key : expected) {
        if (!document.contains(key)) Fail(std::string("the key \"") + key + "\" is missing");
    }
    for (const auto& item : document.items()) {
        bool known = false;
        for (const char* key : expected) known = known || item.key() == key;
        if (!known) Fail("it holds the unknown key \"" + item.key() + "\"");
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

unsigned long long GetUnsigned(const Json& document, const char* key, unsigned long long maximum) {
    const Json& value = document.at(key);
    if (!value.is_number_unsigned() || value.get<unsigned long long>() > maximum) {
        Fail(std::string("the value of \"") + key + "\" is not a whole number from 0 to " + std::to_string(maximum));
    }
    return value.get<unsigned long long>();
}

// The keys that every file holds: the format version and the role.
void CheckHeader(const Json& document, const std::wstring& role) {
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
        Fail("it holds the settings of the role \"" + platform::WideToUtf8Lossy(fileRole) + "\", not \"" +
             platform::WideToUtf8Lossy(role) + "\"");
    }
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
    RequireKeys(document, {kFormatVersion, kRole, kServerHost, kServerPort, kSecured, kLogin});
    CheckHeader(document, role);
    UserSettings settings;
    settings.serverHost = GetString(document, kServerHost);
    settings.serverPort = static_cast<unsigned short>(GetUnsigned(document, kServerPort, 65535));
    settings.secured = GetBool(document, kSecured);
    settings.login = GetString(document, kLogin);
    return settings;
}

WorkstationSettings ParseWorkstationSettings(const std::string& bytes, const std::wstring& role) {
    const Json document = ParseDocument(bytes);
    RequireKeys(document, {kFormatVersion, kRole, kWorkstationName, kSystemSupplied});
    CheckHeader(document, role);
    WorkstationSettings settings;
    settings.name = GetString(document, kWorkstationName);
    settings.systemSupplied = GetBool(document, kSystemSupplied);
    return settings;
}

}  // namespace params

// Fuzzes the settings files' parser. Any bytes must either parse or be refused with
// std::runtime_error; bytes that parse must be text that a settings file may hold (no NUL
// byte), with values that hold no control or invisible format character; and what parsed
// must come back unchanged, and written alike, after being written and read again.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <stdexcept>
#include <string>

#include "params/settings_format.h"
#include "params/text_rules.h"

namespace {

// The values of either file, with a blank between them (which is neither kind of character).
std::wstring Values(const params::UserSettings& settings) { return settings.serverHost + L" " + settings.login; }
std::wstring Values(const params::WorkstationSettings& settings) { return settings.name; }

template <typename Settings, typename Format>
void CheckParse(const std::string& bytes, Settings (*parse)(const std::string&, const std::wstring&), Format format) {
    Settings parsed;
    try {
        parsed = parse(bytes, L"client");
    } catch (const std::runtime_error&) {
        return;  // refused: fine
    }
    if (bytes.find('\0') != std::string::npos) std::abort();
    const std::wstring values = Values(parsed);
    for (std::size_t i = 0, units = 1; i < values.size(); i += units) {
        const char32_t c = params::CharacterAt(values, i, units);
        if (params::IsControlCharacter(c) || params::IsFormatCharacter(c)) std::abort();
    }
    // Outside the try: a value that parsed must always be writable and read back the same.
    const std::string written = format(parsed, L"client");
    const Settings again = parse(written, L"client");
    if (!(again == parsed) || format(again, L"client") != written) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    CheckParse<params::UserSettings>(bytes, params::ParseUserSettings, params::FormatUserSettings);
    CheckParse<params::WorkstationSettings>(bytes, params::ParseWorkstationSettings, params::FormatWorkstationSettings);
    return 0;
}

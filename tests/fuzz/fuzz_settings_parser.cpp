// Fuzzes the settings files' parser: any bytes must either parse or be refused with
// std::runtime_error, and whatever parses must come back unchanged after being written and
// read again.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <stdexcept>
#include <string>

#include "params/settings_format.h"

namespace {

const std::wstring kRole = L"client";

template <typename Settings>
void CheckRoundTrip(const std::string& bytes, Settings (*parse)(const std::string&, const std::wstring&),
                    std::string (*format)(const Settings&, const std::wstring&)) {
    Settings parsed;
    try {
        parsed = parse(bytes, kRole);
    } catch (const std::runtime_error&) {
        return;  // refused: fine
    }
    // Outside the try: a value that parsed must always be writable and read back the same.
    const std::string written = format(parsed, kRole);
    if (!(parse(written, kRole) == parsed)) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    CheckRoundTrip<params::UserSettings>(bytes, params::ParseUserSettings, params::FormatUserSettings);
    CheckRoundTrip<params::WorkstationSettings>(bytes, params::ParseWorkstationSettings,
                                                params::FormatWorkstationSettings);
    return 0;
}

#include "platform/win32/win32_text_file_writer.h"

#include <exception>
#include <fstream>
#include <locale>

namespace platform {

bool Win32TextFileWriter::WriteClassic(const std::wstring& path, const std::wstring& text) {
    std::wofstream stream;
    // Set before opening: the stream's conversion is fixed once the file is open.
    stream.imbue(std::locale::classic());
    stream.open(path.c_str(), std::ios_base::out | std::ios_base::trunc);
    if (!stream.is_open()) return false;
    // The classic locale has a byte for the characters up to 0xFF only. The stream would fail
    // at the first other one (one runtime throws from the stream, another only stops), so the
    // text ends there, the same way with every runtime.
    size_t convertible = 0;
    while (convertible < text.size() && static_cast<unsigned long>(text[convertible]) <= 0xFFu) ++convertible;
    try {
        stream.write(text.data(), static_cast<std::streamsize>(convertible));
        stream.close();
    } catch (const std::exception&) {
        // A file that cannot take the text is no reason to fail the caller: it was opened.
    }
    return true;
}

}  // namespace platform

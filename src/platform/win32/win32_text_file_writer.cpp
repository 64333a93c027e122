#include "platform/win32/win32_text_file_writer.h"

#include <fstream>
#include <locale>

namespace platform {

bool Win32TextFileWriter::WriteClassic(const std::wstring& path, const std::wstring& text) {
    std::wofstream stream;
    // Set before opening: the stream's conversion is fixed once the file is open.
    stream.imbue(std::locale::classic());
    stream.open(path.c_str(), std::ios_base::out | std::ios_base::trunc);
    if (!stream.is_open()) return false;
    stream << text;
    stream.close();
    return true;
}

}  // namespace platform

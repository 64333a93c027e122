#include "platform/win32/win32_text_file_writer.h"

#include <windows.h>

#include <string>

#include "platform/win32/unique_handle.h"

namespace platform {

// Written with the file API rather than a wide file stream: a stream brings the C++ locale
// machinery into the program, which is most of its size, for a conversion this simple.
bool Win32TextFileWriter::WriteClassic(const std::wstring& path, const std::wstring& text) {
    const unique_file file(::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                         CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    // The classic locale has a byte for the characters up to 0xFF only, the one of the same
    // value; the text ends at the first other one. As in a text-mode stream, a line feed is
    // written as carriage return and line feed.
    std::string bytes;
    bytes.reserve(text.size());
    for (wchar_t c : text) {
        if (static_cast<unsigned long>(c) > 0xFFu) break;
        if (c == L'\n') bytes += '\r';
        bytes += static_cast<char>(static_cast<unsigned char>(c));
    }
    // A file that cannot take the text is no reason to fail the caller: it was opened.
    DWORD written = 0;
    if (!bytes.empty()) ::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    return true;
}

}  // namespace platform

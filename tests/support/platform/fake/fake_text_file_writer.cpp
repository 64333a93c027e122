#include "platform/fake/fake_text_file_writer.h"

namespace platform {

bool FakeTextFileWriter::WriteClassic(const std::wstring& path, const std::wstring& text) {
    attempts.push_back(path);
    if (unopenable.count(path) != 0) return false;
    // The classic locale turns each character up to 0xFF into the byte of the same value and
    // stops the stream at the first one it cannot convert.
    std::string bytes;
    for (wchar_t c : text) {
        if (static_cast<unsigned long>(c) > 0xFFu) break;
        bytes += static_cast<char>(static_cast<unsigned char>(c));
    }
    files[path] = bytes;
    return true;
}

}  // namespace platform

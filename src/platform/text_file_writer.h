// Seam: writing a small text file through a wide-character file stream, for files that a
// person reads or runs (the kit build's debug batch file).
#pragma once

#include <string>

namespace platform {

class TextFileWriter {
public:
    virtual ~TextFileWriter() = default;
    // Creates the file or replaces an existing one, and writes `text` through a wide stream
    // that converts in the classic locale: each character becomes one byte, and the text ends
    // before the first character that has no byte there (above 0xFF). Nothing is added (no
    // line end). False when the file could not be opened; then nothing is written.
    virtual bool WriteClassic(const std::wstring& path, const std::wstring& text) = 0;
};

}  // namespace platform

// The real text file writer: a wide file stream in the classic locale.
#pragma once

#include "platform/text_file_writer.h"

namespace platform {

class Win32TextFileWriter : public TextFileWriter {
public:
    bool WriteClassic(const std::wstring& path, const std::wstring& text) override;
};

}  // namespace platform

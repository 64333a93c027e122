// The real text file writer: the classic locale's conversion, through the file API.
#pragma once

#include "platform/text_file_writer.h"

namespace platform {

class Win32TextFileWriter : public TextFileWriter {
public:
    bool WriteClassic(const std::wstring& path, const std::wstring& text) override;
};

}  // namespace platform

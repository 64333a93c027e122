// A text file writer for unit tests: keeps each file's bytes in memory, converting as the
// classic locale's wide stream does, and can refuse to open a path.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/text_file_writer.h"

namespace platform {

class FakeTextFileWriter : public TextFileWriter {
public:
    // Paths that cannot be opened (a missing folder, a read-only file).
    std::set<std::wstring> unopenable;
    // The bytes of each written file, by exact path.
    std::map<std::wstring, std::string> files;
    // Every write that was asked, in order, opened or not.
    std::vector<std::wstring> attempts;

    bool WriteClassic(const std::wstring& path, const std::wstring& text) override;
};

}  // namespace platform

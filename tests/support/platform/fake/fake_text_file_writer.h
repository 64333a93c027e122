// A text file writer for tests: keeps each file's bytes in memory, converted as the classic
// locale's wide stream does (each character up to 0xFF as that byte, stopping at the first
// other one), and can refuse to open a path.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/text_file_writer.h"

namespace platform {

class FakeTextFileWriter : public TextFileWriter {
public:
    std::set<std::wstring> unopenable;
    std::map<std::wstring, std::string> files;
    std::vector<std::wstring> attempts;  // every write asked, opened or not

    bool WriteClassic(const std::wstring& path, const std::wstring& text) override {
        attempts.push_back(path);
        if (unopenable.count(path) != 0) return false;
        std::string& bytes = files[path] = std::string();
        for (size_t i = 0; i < text.size() && static_cast<unsigned long>(text[i]) <= 0xFFu; ++i) {
            bytes += static_cast<char>(static_cast<unsigned char>(text[i]));
        }
        return true;
    }
};

}  // namespace platform

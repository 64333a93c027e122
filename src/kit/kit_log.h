// Where the kit program tells what it did: one line per step.
#pragma once

#include <string>

namespace kit {

class KitLog {
public:
    virtual ~KitLog() = default;
    virtual void Write(const std::wstring& line) = 0;
};

}  // namespace kit

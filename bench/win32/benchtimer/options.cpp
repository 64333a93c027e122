#include "bench_timer.h"

#include <cwchar>

namespace benchtimer {

Options::Options(int argc, wchar_t** argv, int first) {
    for (int i = first; i < argc; i += 2) {
        const std::wstring name = argv[i];
        if (name.size() < 3 || name.compare(0, 2, L"--") != 0 || i + 1 >= argc) {
            throw Failure("expected --name value pairs, got \"" + Utf8(name) + "\"", 2);
        }
        values_.emplace(name.substr(2), argv[i + 1]);
    }
}

std::wstring Options::Require(const wchar_t* name) const {
    auto found = values_.find(name);
    if (found == values_.end()) throw Failure("--" + Utf8(name) + " is missing", 2);
    return found->second;
}

std::wstring Options::Get(const wchar_t* name, const wchar_t* fallback) const {
    auto found = values_.find(name);
    return found == values_.end() ? std::wstring(fallback) : found->second;
}

std::vector<std::wstring> Options::All(const wchar_t* name) const {
    std::vector<std::wstring> all;
    auto range = values_.equal_range(name);
    for (auto it = range.first; it != range.second; ++it) all.push_back(it->second);
    return all;
}

double Options::Seconds(const wchar_t* name, double fallback) const {
    const std::wstring text = Get(name);
    if (text.empty()) return fallback;
    wchar_t* end = nullptr;
    const double value = std::wcstod(text.c_str(), &end);
    if (*end != L'\0' || value <= 0) throw Failure("--" + Utf8(name) + " wants a positive number", 2);
    return value;
}

Stopwatch::Stopwatch() {
    QueryPerformanceFrequency(&frequency_);
    QueryPerformanceCounter(&start_);
}

double Stopwatch::Seconds() const {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart - start_.QuadPart) / static_cast<double>(frequency_.QuadPart);
}

std::string Utf8(const std::wstring& text) {
    if (text.empty()) return std::string();
    const int size =
        WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &out[0], size, nullptr, nullptr);
    return out;
}

}  // namespace benchtimer

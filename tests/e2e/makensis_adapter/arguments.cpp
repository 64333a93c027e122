#include "arguments.h"

namespace adapter {
namespace {

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

bool TranslatePath(const std::wstring& path, const PathTranslator& translate, std::wstring& out, std::wstring& error) {
    if (!translate(path, out)) {
        error = L"cannot translate the Windows path \"" + path + L"\" into a Unix path";
        return false;
    }
    if (IsSeparator(path.back()) && (out.empty() || out.back() != L'/')) out += L'/';
    return true;
}

}  // namespace

bool IsAbsoluteWindowsPath(const std::wstring& text) {
    if (text.size() >= 3 && ((text[0] >= L'A' && text[0] <= L'Z') || (text[0] >= L'a' && text[0] <= L'z')) &&
        text[1] == L':' && IsSeparator(text[2])) {
        return true;
    }
    return text.size() >= 3 && text[0] == L'\\' && text[1] == L'\\' && text[2] != L'\\';
}

bool TranslateArguments(const std::vector<std::wstring>& windowsArguments, const PathTranslator& translate,
                        std::vector<std::wstring>& unixArguments, std::wstring& error) {
    unixArguments.clear();
    for (const std::wstring& argument : windowsArguments) {
        if (argument.size() >= 2 && argument[0] == L'/' && !IsSeparator(argument[1])) {
            std::wstring option = L"-" + argument.substr(1);
            if (argument[1] == L'D') {
                const size_t equals = option.find(L'=');
                if (equals != std::wstring::npos && IsAbsoluteWindowsPath(option.substr(equals + 1))) {
                    std::wstring value;
                    if (!TranslatePath(option.substr(equals + 1), translate, value, error)) return false;
                    option = option.substr(0, equals + 1) + value;
                }
            }
            unixArguments.push_back(option);
        } else if (IsAbsoluteWindowsPath(argument)) {
            std::wstring path;
            if (!TranslatePath(argument, translate, path, error)) return false;
            unixArguments.push_back(path);
        } else {
            unixArguments.push_back(argument);
        }
    }
    return true;
}

}  // namespace adapter

#include "options.h"

#include <algorithm>
#include <cwchar>

#include "text.h"

namespace uidriver {

namespace {

bool Contains(const std::vector<const wchar_t*>& names, const std::wstring& name) {
  return std::any_of(names.begin(), names.end(), [&](const wchar_t* n) { return name == n; });
}

}  // namespace

Options::Options(const std::vector<std::wstring>& args, const std::vector<const wchar_t*>& valued,
                 const std::vector<const wchar_t*>& flags) {
  for (size_t i = 0; i < args.size(); ++i) {
    const std::wstring& arg = args[i];
    if (arg.size() < 3 || arg.compare(0, 2, L"--") != 0) {
      throw UsageError("unexpected argument: " + Utf8(arg));
    }
    std::wstring name = arg.substr(2);
    if (Contains(flags, name)) {
      values_[name] = L"1";
    } else if (Contains(valued, name)) {
      if (i + 1 >= args.size()) throw UsageError("option --" + Utf8(name) + " needs a value");
      values_[name] = args[++i];
    } else {
      throw UsageError("unknown option: --" + Utf8(name));
    }
  }
}

bool Options::Has(const std::wstring& name) const { return values_.count(name) != 0; }

std::wstring Options::Get(const std::wstring& name) const {
  auto it = values_.find(name);
  return it == values_.end() ? std::wstring() : it->second;
}

std::wstring Options::Require(const std::wstring& name) const {
  auto it = values_.find(name);
  if (it == values_.end()) throw UsageError("option --" + Utf8(name) + " is required");
  return it->second;
}

long long Options::RequireInteger(const std::wstring& name) const {
  const std::wstring text = Require(name);
  wchar_t* end = nullptr;
  long long value = std::wcstoll(text.c_str(), &end, 0);
  if (text.empty() || *end != L'\0') {
    throw UsageError("--" + Utf8(name) + " wants a whole number, got: " + Utf8(text));
  }
  return value;
}

unsigned long Options::TimeoutMs(unsigned long fallbackMs) const {
  if (!Has(L"timeout")) return fallbackMs;
  std::wstring text = Get(L"timeout");
  wchar_t* end = nullptr;
  double seconds = std::wcstod(text.c_str(), &end);
  if (text.empty() || *end != L'\0' || !(seconds >= 0) || seconds > 3600) {
    throw UsageError("--timeout wants seconds between 0 and 3600, got: " + Utf8(text));
  }
  return static_cast<unsigned long>(seconds * 1000);
}

}  // namespace uidriver

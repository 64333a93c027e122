// The command's options: "--name value" pairs and "--flag" switches, checked against the
// names the command knows.
#pragma once

#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace uidriver {

// Bad command line: exit code 2.
struct UsageError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// The awaited condition did not hold in time, or the target refused: exit code 1.
struct Failure : std::runtime_error {
  using std::runtime_error::runtime_error;
};

class Options {
 public:
  // Every option a command accepts; unknown ones are a usage error.
  Options(const std::vector<std::wstring>& args, const std::vector<const wchar_t*>& valued,
          const std::vector<const wchar_t*>& flags = {});

  bool Has(const std::wstring& name) const;
  std::wstring Get(const std::wstring& name) const;  // empty when not given
  std::wstring Require(const std::wstring& name) const;
  // A whole decimal or 0x-prefixed number.
  long long RequireInteger(const std::wstring& name) const;
  // Seconds as a decimal number ("--timeout 2.5"), returned in milliseconds.
  unsigned long TimeoutMs(unsigned long fallbackMs) const;

 private:
  std::map<std::wstring, std::wstring> values_;
};

}  // namespace uidriver

#include "platform/win32/win32_firewall.h"

#include <windows.h>
#include <netfw.h>
#include <oleauto.h>
#include <wrl/client.h>

#include <string>
#include <vector>

#include "platform/win32/system_function.h"

namespace platform {
namespace {

// The firewall's class and interface identifiers, spelled out so that no import library has
// to provide them.
const CLSID kNetFwPolicy2 = {0xE2B3C97F, 0x6AE1, 0x41AC, {0x81, 0x7A, 0xF6, 0xF9, 0x21, 0x66, 0xD7, 0xDD}};
const CLSID kNetFwRule = {0x2C5BC43E, 0x3369, 0x4C33, {0xAB, 0x0C, 0xBE, 0x94, 0x69, 0x67, 0x7A, 0xF4}};
const IID kINetFwPolicy2 = {0x98325047, 0xC671, 0x4174, {0x8D, 0x81, 0xDE, 0xFC, 0xD3, 0xF0, 0x31, 0x86}};
const IID kINetFwRule = {0xAF230D27, 0xBABA, 0x4E42, {0xAC, 0xED, 0xF5, 0x24, 0xF2, 0x2C, 0xFC, 0xE2}};
const IID kIEnumVARIANT = {0x00020404, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

// The COM and automation functions the firewall needs, looked up the first time a firewall
// operation runs (only the silent installation asks for one).
struct ComApi {
    decltype(&::CoInitializeEx) initialize = Function<decltype(&::CoInitializeEx)>(L"ole32.dll", "CoInitializeEx");
    decltype(&::CoUninitialize) uninitialize = Function<decltype(&::CoUninitialize)>(L"ole32.dll", "CoUninitialize");
    decltype(&::CoCreateInstance) createInstance =
        Function<decltype(&::CoCreateInstance)>(L"ole32.dll", "CoCreateInstance");
    decltype(&::SysAllocStringLen) allocString =
        Function<decltype(&::SysAllocStringLen)>(L"oleaut32.dll", "SysAllocStringLen");
    decltype(&::SysFreeString) freeString = Function<decltype(&::SysFreeString)>(L"oleaut32.dll", "SysFreeString");
    decltype(&::SysStringLen) stringLength = Function<decltype(&::SysStringLen)>(L"oleaut32.dll", "SysStringLen");
    decltype(&::VariantClear) clearVariant = Function<decltype(&::VariantClear)>(L"oleaut32.dll", "VariantClear");

    bool complete() const {
        return initialize && uninitialize && createInstance && allocString && freeString && stringLength &&
               clearVariant;
    }

private:
    template <typename F>
    static F Function(const wchar_t* library, const char* name) {
        return SystemFunctionAs<F>(library, name);
    }
};

const ComApi& Com() {
    static const ComApi api;
    return api;
}

using Microsoft::WRL::ComPtr;

// The out-parameter of CoCreateInstance and QueryInterface for a ComPtr.
template <typename T>
void** OutVoid(ComPtr<T>& p) {
    return reinterpret_cast<void**>(p.ReleaseAndGetAddressOf());
}

// Owns a BSTR.
class Bstr {
public:
    explicit Bstr(const std::wstring& text) : b_(Com().allocString(text.data(), static_cast<UINT>(text.size()))) {}
    Bstr() = default;
    ~Bstr() {
        if (b_ != nullptr) Com().freeString(b_);
    }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    BSTR get() const { return b_; }
    BSTR* put() { return &b_; }

private:
    BSTR b_ = nullptr;
};

// COM for the length of one firewall operation. A thread that already runs COM in another
// mode keeps it; COM is then not uninitialised here either.
class ComScope {
public:
    ComScope() : hr_(Com().complete() ? Com().initialize(nullptr, COINIT_APARTMENTTHREADED) : E_FAIL) {}
    ~ComScope() {
        if (SUCCEEDED(hr_)) Com().uninitialize();
    }
    bool usable() const { return SUCCEEDED(hr_) || hr_ == RPC_E_CHANGED_MODE; }

private:
    HRESULT hr_;
};

bool GetPolicy(ComPtr<INetFwPolicy2>& policy) {
    return SUCCEEDED(
        Com().createInstance(kNetFwPolicy2, nullptr, CLSCTX_INPROC_SERVER, kINetFwPolicy2, OutVoid(policy)));
}

bool GetRules(ComPtr<INetFwRules>& rules) {
    ComPtr<INetFwPolicy2> policy;
    return GetPolicy(policy) && SUCCEEDED(policy->get_Rules(rules.ReleaseAndGetAddressOf())) && rules;
}

bool IsForProgram(INetFwRule* rule, const std::wstring& executablePath) {
    Bstr application;
    if (FAILED(rule->get_ApplicationName(application.put())) || application.get() == nullptr) return false;
    return ::CompareStringOrdinal(application.get(), static_cast<int>(Com().stringLength(application.get())),
                                  executablePath.c_str(), static_cast<int>(executablePath.size()), TRUE) == CSTR_EQUAL;
}

// An enabled inbound rule with the action `wanted` for the program at `executablePath`.
bool TakesActionFor(INetFwRule* rule, NET_FW_ACTION wanted, const std::wstring& executablePath) {
    NET_FW_RULE_DIRECTION direction = NET_FW_RULE_DIR_OUT;
    NET_FW_ACTION action = NET_FW_ACTION_MAX;
    VARIANT_BOOL enabled = VARIANT_FALSE;
    if (FAILED(rule->get_Direction(&direction)) || direction != NET_FW_RULE_DIR_IN) return false;
    if (FAILED(rule->get_Action(&action)) || action != wanted) return false;
    if (FAILED(rule->get_Enabled(&enabled)) || enabled == VARIANT_FALSE) return false;
    return IsForProgram(rule, executablePath);
}

// Calls `visit` with each rule of the list until it returns true. `failed` when the list
// cannot be read, `found` when a visit returned true.
template <typename Visit>
Firewall::Lookup VisitRules(INetFwRules* rules, Visit visit) {
    ComPtr<IUnknown> enumeration;
    ComPtr<IEnumVARIANT> items;
    if (FAILED(rules->get__NewEnum(enumeration.ReleaseAndGetAddressOf())) || !enumeration ||
        FAILED(enumeration->QueryInterface(kIEnumVARIANT, OutVoid(items)))) {
        return Firewall::Lookup::failed;
    }
    for (;;) {
        VARIANT item{};
        item.vt = VT_EMPTY;  // what VariantInit does
        ULONG fetched = 0;
        const HRESULT hr = items->Next(1, &item, &fetched);
        if (FAILED(hr)) return Firewall::Lookup::failed;
        if (hr != S_OK || fetched == 0) return Firewall::Lookup::notFound;
        bool stop = false;
        if (item.vt == VT_DISPATCH && item.pdispVal != nullptr) {
            ComPtr<INetFwRule> rule;
            if (SUCCEEDED(item.pdispVal->QueryInterface(kINetFwRule, OutVoid(rule)))) stop = visit(rule.Get());
        }
        Com().clearVariant(&item);
        if (stop) return Firewall::Lookup::found;
    }
}

}  // namespace

Firewall::Lookup Win32Firewall::FindAllowRule(const std::wstring& executablePath) {
    ComScope com;
    if (!com.usable()) return Lookup::failed;
    ComPtr<INetFwRules> rules;
    if (!GetRules(rules)) return Lookup::failed;
    return VisitRules(rules.Get(),
                      [&](INetFwRule* rule) { return TakesActionFor(rule, NET_FW_ACTION_ALLOW, executablePath); });
}

bool Win32Firewall::AppliesAllowRule(const std::wstring& executablePath) {
    ComScope com;
    if (!com.usable()) return false;
    // The modify state tells whether a rule kept on the machine takes effect in the current
    // profiles: not under a policy that overrides them, nor where every inbound connection is blocked.
    ComPtr<INetFwPolicy2> policy;
    NET_FW_MODIFY_STATE state = NET_FW_MODIFY_STATE_GP_OVERRIDE;
    long current = 0;
    ComPtr<INetFwRules> rules;
    if (!GetPolicy(policy) || FAILED(policy->get_LocalPolicyModifyState(&state)) || state != NET_FW_MODIFY_STATE_OK ||
        FAILED(policy->get_CurrentProfileTypes(&current)) || FAILED(policy->get_Rules(rules.ReleaseAndGetAddressOf())) ||
        !rules) {
        return false;
    }
    // A block rule of a profile not in force (the public networks' on a domain network) blocks nothing now.
    return VisitRules(rules.Get(), [&](INetFwRule* rule) {
               long profiles = 0;
               return TakesActionFor(rule, NET_FW_ACTION_BLOCK, executablePath) &&
                      (FAILED(rule->get_Profiles(&profiles)) || (profiles & current) != 0);
           }) == Lookup::notFound;
}

bool Win32Firewall::AddAllowRule(const std::wstring& executablePath, const std::wstring& ruleName) {
    ComScope com;
    if (!com.usable()) return false;
    ComPtr<INetFwRules> rules;
    if (!GetRules(rules)) return false;
    ComPtr<INetFwRule> rule;
    if (FAILED(Com().createInstance(kNetFwRule, nullptr, CLSCTX_INPROC_SERVER, kINetFwRule, OutVoid(rule)))) {
        return false;
    }
    const Bstr name(ruleName);
    const Bstr application(executablePath);
    return SUCCEEDED(rule->put_Name(name.get())) && SUCCEEDED(rule->put_ApplicationName(application.get())) &&
           SUCCEEDED(rule->put_Direction(NET_FW_RULE_DIR_IN)) && SUCCEEDED(rule->put_Action(NET_FW_ACTION_ALLOW)) &&
           SUCCEEDED(rule->put_Profiles(NET_FW_PROFILE2_ALL)) && SUCCEEDED(rule->put_Enabled(VARIANT_TRUE)) &&
           SUCCEEDED(rules->Add(rule.Get()));
}

bool Win32Firewall::RemoveRules(const std::wstring& executablePath) {
    ComScope com;
    if (!com.usable()) return false;
    ComPtr<INetFwRules> rules;
    if (!GetRules(rules)) return false;
    // The list is not changed while it is being walked: first the rules, then the removals, then
    // a walk that must find none. A removal goes by name and takes any one rule of that name, and
    // another installation's rule may carry the same name: each rule is first given a name that
    // only this removal uses.
    std::vector<ComPtr<INetFwRule>> found;
    const Lookup listed = VisitRules(rules.Get(), [&](INetFwRule* rule) {
        if (IsForProgram(rule, executablePath)) found.emplace_back(rule);
        return false;
    });
    if (listed == Lookup::failed) return false;
    const Bstr name(L"Rule being removed by process " + std::to_wstring(::GetCurrentProcessId()));
    for (const ComPtr<INetFwRule>& rule : found) {
        if (FAILED(rule->put_Name(name.get())) || FAILED(rules->Remove(name.get()))) return false;
    }
    return VisitRules(rules.Get(), [&](INetFwRule* rule) { return IsForProgram(rule, executablePath); }) ==
           Lookup::notFound;
}

}  // namespace platform

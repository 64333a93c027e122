// The firewall's rule list for the test bench: HNetCfg.FwPolicy2 (its Rules only),
// HNetCfg.FWRule and the rule collection with its enumerator, in process, keeping the rules in
// %windir%\firewall_rules.tsv: one rule a line, UTF-8, tab-separated
//   name, application, direction (1 in, 2 out), action (0 block, 1 allow), profiles, enabled (0/1).
// As on Windows, Add keeps a rule with a name already there (a second rule), Remove takes the
// first rule of that name, and Item of a missing name fails with ERROR_FILE_NOT_FOUND. Every
// call reads the file again and every change rewrites it (one process at a time changes rules
// on the bench), so each process sees the others'.
#include <windows.h>
#include <netfw.h>
#include <oleauto.h>

#include <atomic>
#include <fstream>
#include <sstream>
#include <string>
#include <type_traits>
#include <vector>

namespace {

const CLSID kNetFwPolicy2 = {0xE2B3C97F, 0x6AE1, 0x41AC, {0x81, 0x7A, 0xF6, 0xF9, 0x21, 0x66, 0xD7, 0xDD}};
const CLSID kNetFwRule = {0x2C5BC43E, 0x3369, 0x4C33, {0xAB, 0x0C, 0xBE, 0x94, 0x69, 0x67, 0x7A, 0xF4}};

std::atomic<long> g_objects{0};

struct RuleData {
    std::wstring name, application;
    NET_FW_RULE_DIRECTION direction = NET_FW_RULE_DIR_IN;
    NET_FW_ACTION action = NET_FW_ACTION_ALLOW;
    LONG profiles = NET_FW_PROFILE2_ALL;
    bool enabled = false;
};

std::string Utf8(const std::wstring& w) {
    std::string s(static_cast<size_t>(::WideCharToMultiByte(CP_UTF8, 0, w.c_str(), -1, nullptr, 0, nullptr, nullptr)), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, w.c_str(), -1, &s[0], static_cast<int>(s.size()), nullptr, nullptr);
    s.pop_back();
    return s;
}

std::wstring Wide(const std::string& s) {
    std::wstring w(static_cast<size_t>(::MultiByteToWideChar(CP_UTF8, 0, s.c_str(), -1, nullptr, 0)), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, s.c_str(), -1, &w[0], static_cast<int>(w.size()));
    w.pop_back();
    return w;
}

std::wstring RulesPath() {
    wchar_t folder[MAX_PATH] = {};
    ::GetWindowsDirectoryW(folder, MAX_PATH);
    return std::wstring(folder) + L"\\firewall_rules.tsv";
}

std::vector<RuleData> LoadRules() {
    std::vector<RuleData> rules;
    std::ifstream in(RulesPath().c_str());
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string name, application;
        int direction = 0, action = 0, enabled = 0;
        RuleData r;
        if (std::getline(fields, name, '\t') && std::getline(fields, application, '\t') &&
            fields >> direction >> action >> r.profiles >> enabled) {
            r.name = Wide(name);
            r.application = Wide(application);
            r.direction = static_cast<NET_FW_RULE_DIRECTION>(direction);
            r.action = static_cast<NET_FW_ACTION>(action);
            r.enabled = enabled != 0;
            rules.push_back(r);
        }
    }
    return rules;
}

HRESULT SaveRules(const std::vector<RuleData>& rules) {
    const std::wstring path = RulesPath(), temporary = path + L".new";
    {
        std::ofstream out(temporary.c_str(), std::ios::binary | std::ios::trunc);
        for (const RuleData& r : rules) {
            out << Utf8(r.name) << '\t' << Utf8(r.application) << '\t' << r.direction << '\t' << r.action << '\t'
                << r.profiles << '\t' << (r.enabled ? 1 : 0) << '\n';
        }
        if (!out.flush()) return E_FAIL;
    }
    return ::MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING) ? S_OK : E_FAIL;
}

std::wstring FromBstr(BSTR b) { return b == nullptr ? std::wstring() : std::wstring(b, ::SysStringLen(b)); }

bool SameName(const std::wstring& a, const std::wstring& b) {
    return ::CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()),
                                  TRUE) == CSTR_EQUAL;
}

// IUnknown for one interface (and IDispatch, without type information, for automation ones).
template <typename Interface>
class Object : public Interface {
public:
    Object() { ++g_objects; }
    virtual ~Object() { --g_objects; }
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (out == nullptr) return E_POINTER;
        const bool dispatch = std::is_base_of<IDispatch, Interface>::value && iid == IID_IDispatch;
        *out = (iid == IID_IUnknown || iid == __uuidof(Interface) || dispatch) ? static_cast<Interface*>(this) : nullptr;
        if (*out == nullptr) return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++references_); }
    ULONG STDMETHODCALLTYPE Release() override {
        const long left = --references_;
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }

private:
    std::atomic<long> references_{1};
};

template <typename Interface>
class Automation : public Object<Interface> {
public:
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        return E_NOTIMPL;
    }
};

#define NOT_KEPT(name, type) \
    HRESULT STDMETHODCALLTYPE get_##name(type*) override { return E_NOTIMPL; } \
    HRESULT STDMETHODCALLTYPE put_##name(type) override { return E_NOTIMPL; }
#define KEPT(name, type, field, in, out) \
    HRESULT STDMETHODCALLTYPE get_##name(type* v) override { \
        if (v == nullptr) return E_POINTER; \
        *v = out; \
        return S_OK; \
    } \
    HRESULT STDMETHODCALLTYPE put_##name(type v) override { \
        data.field = in; \
        return S_OK; \
    }

class Rule : public Automation<INetFwRule> {
public:
    explicit Rule(const RuleData& d = RuleData()) : data(d) {}
    RuleData data;

    KEPT(Name, BSTR, name, FromBstr(v), ::SysAllocString(data.name.c_str()))
    KEPT(ApplicationName, BSTR, application, FromBstr(v), ::SysAllocString(data.application.c_str()))
    KEPT(Direction, NET_FW_RULE_DIRECTION, direction, v, data.direction)
    KEPT(Action, NET_FW_ACTION, action, v, data.action)
    KEPT(Profiles, LONG, profiles, v, data.profiles)
    KEPT(Enabled, VARIANT_BOOL, enabled, v != VARIANT_FALSE, data.enabled ? VARIANT_TRUE : VARIANT_FALSE)
    NOT_KEPT(Description, BSTR)
    NOT_KEPT(ServiceName, BSTR)
    NOT_KEPT(Protocol, LONG)
    NOT_KEPT(LocalPorts, BSTR)
    NOT_KEPT(RemotePorts, BSTR)
    NOT_KEPT(LocalAddresses, BSTR)
    NOT_KEPT(RemoteAddresses, BSTR)
    NOT_KEPT(IcmpTypesAndCodes, BSTR)
    NOT_KEPT(Interfaces, VARIANT)
    NOT_KEPT(InterfaceTypes, BSTR)
    NOT_KEPT(Grouping, BSTR)
    NOT_KEPT(EdgeTraversal, VARIANT_BOOL)
};

class RuleEnumeration : public Object<IEnumVARIANT> {
public:
    explicit RuleEnumeration(std::vector<RuleData> rules) : rules_(std::move(rules)) {}
    HRESULT STDMETHODCALLTYPE Next(ULONG count, VARIANT* items, ULONG* fetched) override {
        ULONG n = 0;
        for (; n < count && next_ < rules_.size(); ++n, ++next_) {
            items[n].vt = VT_DISPATCH;
            items[n].pdispVal = new Rule(rules_[next_]);
        }
        if (fetched != nullptr) *fetched = n;
        return n == count ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Skip(ULONG count) override {
        next_ = std::min(rules_.size(), next_ + count);
        return next_ < rules_.size() ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Reset() override {
        next_ = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Clone(IEnumVARIANT**) override { return E_NOTIMPL; }

private:
    std::vector<RuleData> rules_;
    size_t next_ = 0;
};

class Rules : public Automation<INetFwRules> {
public:
    HRESULT STDMETHODCALLTYPE get_Count(LONG* count) override {
        if (count == nullptr) return E_POINTER;
        *count = static_cast<LONG>(LoadRules().size());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Add(INetFwRule* rule) override {
        Rule* ours = dynamic_cast<Rule*>(rule);
        if (ours == nullptr) return E_INVALIDARG;
        const RuleData& d = ours->data;
        if (d.name.empty() || d.name.find_first_of(L"\t\r\n") != std::wstring::npos ||
            d.application.find_first_of(L"\t\r\n") != std::wstring::npos) {
            return E_INVALIDARG;
        }
        std::vector<RuleData> rules = LoadRules();
        rules.push_back(d);
        return SaveRules(rules);
    }
    HRESULT STDMETHODCALLTYPE Remove(BSTR name) override {
        std::vector<RuleData> rules = LoadRules();
        for (auto r = rules.begin(); r != rules.end(); ++r) {
            if (SameName(r->name, FromBstr(name))) {
                rules.erase(r);
                return SaveRules(rules);
            }
        }
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Item(BSTR name, INetFwRule** rule) override {
        if (rule == nullptr) return E_POINTER;
        *rule = nullptr;
        for (const RuleData& r : LoadRules()) {
            if (SameName(r.name, FromBstr(name))) {
                *rule = new Rule(r);
                return S_OK;
            }
        }
        return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
    }
    HRESULT STDMETHODCALLTYPE get__NewEnum(IUnknown** enumeration) override {
        if (enumeration == nullptr) return E_POINTER;
        *enumeration = new RuleEnumeration(LoadRules());
        return S_OK;
    }
};

#define NOT_HERE(name, ...) \
    HRESULT STDMETHODCALLTYPE name(__VA_ARGS__) override { return E_NOTIMPL; }

class Policy : public Automation<INetFwPolicy2> {
public:
    HRESULT STDMETHODCALLTYPE get_Rules(INetFwRules** rules) override {
        if (rules == nullptr) return E_POINTER;
        *rules = new Rules();
        return S_OK;
    }
    NOT_HERE(get_CurrentProfileTypes, LONG*)
    NOT_HERE(get_FirewallEnabled, NET_FW_PROFILE_TYPE2, VARIANT_BOOL*)
    NOT_HERE(put_FirewallEnabled, NET_FW_PROFILE_TYPE2, VARIANT_BOOL)
    NOT_HERE(get_ExcludedInterfaces, NET_FW_PROFILE_TYPE2, VARIANT*)
    NOT_HERE(put_ExcludedInterfaces, NET_FW_PROFILE_TYPE2, VARIANT)
    NOT_HERE(get_BlockAllInboundTraffic, NET_FW_PROFILE_TYPE2, VARIANT_BOOL*)
    NOT_HERE(put_BlockAllInboundTraffic, NET_FW_PROFILE_TYPE2, VARIANT_BOOL)
    NOT_HERE(get_NotificationsDisabled, NET_FW_PROFILE_TYPE2, VARIANT_BOOL*)
    NOT_HERE(put_NotificationsDisabled, NET_FW_PROFILE_TYPE2, VARIANT_BOOL)
    NOT_HERE(get_UnicastResponsesToMulticastBroadcastDisabled, NET_FW_PROFILE_TYPE2, VARIANT_BOOL*)
    NOT_HERE(put_UnicastResponsesToMulticastBroadcastDisabled, NET_FW_PROFILE_TYPE2, VARIANT_BOOL)
    NOT_HERE(get_ServiceRestriction, INetFwServiceRestriction**)
    NOT_HERE(EnableRuleGroup, LONG, BSTR, VARIANT_BOOL)
    NOT_HERE(IsRuleGroupEnabled, LONG, BSTR, VARIANT_BOOL*)
    NOT_HERE(RestoreLocalFirewallDefaults)
    NOT_HERE(get_DefaultInboundAction, NET_FW_PROFILE_TYPE2, NET_FW_ACTION*)
    NOT_HERE(put_DefaultInboundAction, NET_FW_PROFILE_TYPE2, NET_FW_ACTION)
    NOT_HERE(get_DefaultOutboundAction, NET_FW_PROFILE_TYPE2, NET_FW_ACTION*)
    NOT_HERE(put_DefaultOutboundAction, NET_FW_PROFILE_TYPE2, NET_FW_ACTION)
    NOT_HERE(get_IsRuleGroupCurrentlyEnabled, BSTR, VARIANT_BOOL*)
    NOT_HERE(get_LocalPolicyModifyState, NET_FW_MODIFY_STATE*)
};

class Factory : public Object<IClassFactory> {
public:
    explicit Factory(bool policy) : policy_(policy) {}
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
        if (outer != nullptr) return CLASS_E_NOAGGREGATION;
        IUnknown* object = policy_ ? static_cast<IUnknown*>(new Policy()) : static_cast<IUnknown*>(new Rule());
        const HRESULT hr = object->QueryInterface(iid, out);
        object->Release();
        return hr;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }

private:
    bool policy_;
};

HRESULT Serve(Factory* factory, REFIID iid, void** out) {
    const HRESULT hr = factory->QueryInterface(iid, out);
    factory->Release();
    return hr;
}

}  // namespace

extern "C" HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
    if (clsid == kNetFwPolicy2) return Serve(new Factory(true), iid, out);
    if (clsid == kNetFwRule) return Serve(new Factory(false), iid, out);
    if (out != nullptr) *out = nullptr;
    return CLASS_E_CLASSNOTAVAILABLE;
}

extern "C" HRESULT STDAPICALLTYPE DllCanUnloadNow() { return g_objects == 0 ? S_OK : S_FALSE; }

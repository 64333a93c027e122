// hnetcfg.dll for the test bench: HNetCfg.FwPolicy2 (its Rules), HNetCfg.FWRule and the rule
// collection (Add, Remove, _NewEnum), keeping the rules in %windir%\firewall_rules.tsv, one a
// line: name, program, direction, action, profiles, enabled, tab-separated, UTF-8. Every call
// reads the file again and every change rewrites it, so each process sees the others' rules.
#include <windows.h>
#include <netfw.h>
#include <oleauto.h>

#include <atomic>
#include <fstream>
#include <string>
#include <vector>

#include "platform/utf8.h"

namespace {

struct RuleData {
    std::wstring name, application;
    LONG direction = 0, action = 0, profiles = 0, enabled = 0;
};

std::string Convert(const std::wstring& w) { return platform::WideToUtf8Lossy(w); }
std::wstring Convert(const std::string& s) {
    std::wstring w;
    platform::Utf8ToWide(s, w);
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
    std::string name, application;
    RuleData r;
    while (std::getline(in, name, '\t') &&
           std::getline(in, application, '\t') >> r.direction >> r.action >> r.profiles >> r.enabled) {
        in.ignore(1);
        r.name = Convert(name), r.application = Convert(application);
        rules.push_back(r);
    }
    return rules;
}

HRESULT SaveRules(const std::vector<RuleData>& rules) {
    std::ofstream out(RulesPath().c_str(), std::ios::binary | std::ios::trunc);
    for (const RuleData& r : rules)
        out << Convert(r.name) << '\t' << Convert(r.application) << '\t' << r.direction << '\t' << r.action << '\t'
            << r.profiles << '\t' << (r.enabled ? 1 : 0) << '\n';
    return out.flush() ? S_OK : E_FAIL;
}

std::wstring FromBstr(BSTR b) { return b ? std::wstring(b, ::SysStringLen(b)) : std::wstring(); }

#define NOT_HERE(name, ...) \
    HRESULT STDMETHODCALLTYPE name(__VA_ARGS__) override { return E_NOTIMPL; }

// IUnknown, and IDispatch without type information, for one interface.
template <typename Interface>
class Object : public Interface {
public:
    virtual ~Object() = default;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        const bool ours = iid == IID_IUnknown || iid == __uuidof(Interface) || iid == IID_IDispatch;
        *out = ours ? static_cast<Interface*>(this) : nullptr;
        return ours ? (AddRef(), S_OK) : E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --references_;
        if (left == 0) delete this;
        return left;
    }
    // IDispatch's, for the interfaces that have it (no override: the others have none).
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) {
        return E_NOTIMPL;
    }

private:
    std::atomic<ULONG> references_{1};
};

#define KEPT(name, type, field, in, out)                                              \
    HRESULT STDMETHODCALLTYPE get_##name(type* v) override { return *v = out, S_OK; } \
    HRESULT STDMETHODCALLTYPE put_##name(type v) override { return data.field = in, S_OK; }
#define NOT_KEPT(name, type) NOT_HERE(get_##name, type*) NOT_HERE(put_##name, type)

class Rule : public Object<INetFwRule> {
public:
    explicit Rule(const RuleData& d = RuleData()) : data(d) {}
    RuleData data;
    KEPT(Name, BSTR, name, FromBstr(v), ::SysAllocString(data.name.c_str()))
    KEPT(ApplicationName, BSTR, application, FromBstr(v), ::SysAllocString(data.application.c_str()))
    KEPT(Direction, NET_FW_RULE_DIRECTION, direction, v, (NET_FW_RULE_DIRECTION)data.direction)
    KEPT(Action, NET_FW_ACTION, action, v, (NET_FW_ACTION)data.action)
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
    std::vector<RuleData> rules = LoadRules();
    size_t next = 0;
    HRESULT STDMETHODCALLTYPE Next(ULONG count, VARIANT* items, ULONG* fetched) override {
        ULONG n = 0;
        for (; n < count && next < rules.size(); ++n)
            items[n].vt = VT_DISPATCH, items[n].pdispVal = new Rule(rules[next++]);
        if (fetched) *fetched = n;
        return n == count ? S_OK : S_FALSE;
    }
    NOT_HERE(Skip, ULONG)
    NOT_HERE(Reset)
    NOT_HERE(Clone, IEnumVARIANT**)
};

class Rules : public Object<INetFwRules> {
public:
    HRESULT STDMETHODCALLTYPE Add(INetFwRule* rule) override {
        std::vector<RuleData> rules = LoadRules();
        rules.push_back(static_cast<Rule*>(rule)->data);
        return SaveRules(rules);
    }
    HRESULT STDMETHODCALLTYPE Remove(BSTR name) override {  // the first rule of that name
        std::vector<RuleData> rules = LoadRules();
        for (auto r = rules.begin(); r != rules.end(); ++r)
            if (::CompareStringOrdinal(r->name.c_str(), -1, name, -1, TRUE) == CSTR_EQUAL)
                return rules.erase(r), SaveRules(rules);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get__NewEnum(IUnknown** enumeration) override {
        return *enumeration = new RuleEnumeration, S_OK;
    }
    NOT_HERE(get_Count, LONG*)
    NOT_HERE(Item, BSTR, INetFwRule**)
};

class Policy : public Object<INetFwPolicy2> {
public:
    HRESULT STDMETHODCALLTYPE get_Rules(INetFwRules** rules) override { return *rules = new Rules, S_OK; }
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

template <typename Made>
class Factory : public Object<IClassFactory> {
public:
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown*, REFIID iid, void** out) override {
        Made* made = new Made;
        const HRESULT hr = made->QueryInterface(iid, out);
        return made->Release(), hr;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }
};

}  // namespace

extern "C" HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
    static const CLSID policy = {0xE2B3C97F, 0x6AE1, 0x41AC, {0x81, 0x7A, 0xF6, 0xF9, 0x21, 0x66, 0xD7, 0xDD}};
    static const CLSID rule = {0x2C5BC43E, 0x3369, 0x4C33, {0xAB, 0x0C, 0xBE, 0x94, 0x69, 0x67, 0x7A, 0xF4}};
    IClassFactory* factory = clsid == policy ? static_cast<IClassFactory*>(new Factory<Policy>)
                             : clsid == rule ? new Factory<Rule>
                                             : nullptr;
    if (!factory) return *out = nullptr, CLASS_E_CLASSNOTAVAILABLE;
    const HRESULT hr = factory->QueryInterface(iid, out);
    return factory->Release(), hr;
}

extern "C" HRESULT STDAPICALLTYPE DllCanUnloadNow() { return S_FALSE; }

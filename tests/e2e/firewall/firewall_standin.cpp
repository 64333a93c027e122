// hnetcfg.dll for the test bench: HNetCfg.FwPolicy2 (its Rules and modify state), HNetCfg.FWRule and the rule
// collection (Add, Remove, _NewEnum), keeping the rules in %windir%\firewall_rules.tsv, one a
// line: name, program, direction, action, profiles, enabled, protocol, tab-separated, UTF-8.
// Every call reads the file again and every change rewrites it, so each process sees the
// others' rules. The objects are made on the interfaces' C declarations: each vtable gets the
// methods the product calls (and the protocol's setter, so that a rule narrowed to one protocol
// shows), and every other slot a function that answers E_NOTIMPL (on x64 one function can stand
// for any signature: there is one calling convention and the caller cleans up).
#define CINTERFACE
#include <windows.h>
#include <initguid.h>
#include <netfw.h>

#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "platform/utf8.h"

namespace {

struct Rule {
    std::wstring name, program;
    LONG direction = 0, action = 0, profiles = 0, enabled = 0, protocol = 256;  // any protocol
};

std::wstring WindowsFile(const wchar_t* name) {
    wchar_t folder[MAX_PATH] = {};
    return std::wstring(folder, GetWindowsDirectoryW(folder, MAX_PATH)) + L"\\" + name;
}
std::wstring RulesPath() { return WindowsFile(L"firewall_rules.tsv"); }
std::vector<Rule> Load() {
    std::vector<Rule> rules;
    std::ifstream in(RulesPath().c_str());
    Rule r;
    for (std::string name, program;
         std::getline(in, name, '\t') &&
         std::getline(in, program, '\t') >> r.direction >> r.action >> r.profiles >> r.enabled >> r.protocol;
         in.ignore(1))
        platform::Utf8ToWide(name, r.name), platform::Utf8ToWide(program, r.program), rules.push_back(r);
    return rules;
}
// The rules written over the file's, or after them with std::ios::app.
HRESULT Save(const std::vector<Rule>& rules, std::ios::openmode mode = std::ios::trunc) {
    std::ofstream out(RulesPath().c_str(), std::ios::binary | mode);
    for (const Rule& r : rules)
        out << platform::WideToUtf8Lossy(r.name) << '\t' << platform::WideToUtf8Lossy(r.program) << '\t' << r.direction
            << '\t' << r.action << '\t' << r.profiles << '\t' << r.enabled << '\t' << r.protocol << '\n';
    return out.flush() ? S_OK : E_FAIL;
}

// Every object: a policy, the rule collection, a rule, an enumeration of rules or a class factory.
struct Object {
    Object(const void* methods, const IID& iid, Rule rule = Rule(), std::vector<Rule> rules = {})
        : vtable(methods), iid(iid), rule(std::move(rule)), rules(std::move(rules)) {}
    const void* vtable;
    const IID& iid;
    LONG references = 1;
    Rule rule;                 // a rule's
    std::vector<Rule> rules;   // an enumeration's, the next first
    bool makesPolicy = false;  // a class factory's
};

HRESULT STDMETHODCALLTYPE Query(Object* self, REFIID iid, void** out) {
    if (iid != IID_IUnknown && iid != IID_IDispatch && iid != self->iid) return *out = nullptr, E_NOINTERFACE;
    return InterlockedIncrement(&self->references), *out = self, S_OK;
}
ULONG STDMETHODCALLTYPE Release(Object* self) {
    if (const LONG left = InterlockedDecrement(&self->references)) return left;
    return delete self, 0;
}
// Hands `self` out as the interface it was asked for, and lets go of the maker's reference.
HRESULT HandOut(Object* self, REFIID iid, void** out) {
    const HRESULT hr = Query(self, iid, out);
    return Release(self), hr;
}
HRESULT STDMETHODCALLTYPE NotHere() { return E_NOTIMPL; }

template <typename Slot, typename Function>
void Set(Slot& slot, Function function) {
    slot = reinterpret_cast<Slot>(+function);
}
template <typename Table>
Table Methods() {
    Table t;
    for (void*& slot : reinterpret_cast<void*(&)[sizeof t / sizeof(void*)]>(t)) slot = reinterpret_cast<void*>(NotHere);
    Set(t.QueryInterface, Query), Set(t.Release, Release);
    return Set(t.AddRef, [](Object* self) { return ULONG(InterlockedIncrement(&self->references)); }), t;
}
INetFwPolicy2Vtbl policy = Methods<INetFwPolicy2Vtbl>();
INetFwRulesVtbl collection = Methods<INetFwRulesVtbl>();
IEnumVARIANTVtbl enumeration = Methods<IEnumVARIANTVtbl>();
INetFwRuleVtbl rule = Methods<INetFwRuleVtbl>();
IClassFactoryVtbl factory = Methods<IClassFactoryVtbl>();

bool SetMethods() {
    Set(factory.CreateInstance, [](Object* self, IUnknown*, REFIID iid, void** out) {
        return HandOut(self->makesPolicy ? new Object(&policy, IID_INetFwPolicy2) : new Object(&rule, IID_INetFwRule),
                       iid, out);
    });
    // The number in %windir%\firewall_modify_state.txt; 0, rules kept on the machine apply, without it.
    Set(policy.get_LocalPolicyModifyState, [](Object*, NET_FW_MODIFY_STATE* v) {
        LONG state = 0;
        std::ifstream(WindowsFile(L"firewall_modify_state.txt").c_str()) >> state;
        return *v = NET_FW_MODIFY_STATE(state), S_OK;
    });
    // The machine is on its domain's network.
    Set(policy.get_CurrentProfileTypes, [](Object*, LONG* v) { return *v = NET_FW_PROFILE2_DOMAIN, S_OK; });
    Set(policy.get_Rules, [](Object*, Object** out) { return *out = new Object(&collection, IID_INetFwRules), S_OK; });
    Set(collection.Add, [](Object*, Object* added) { return Save({added->rule}, std::ios::app); });
    Set(collection.Remove, [](Object*, BSTR name) {  // the first rule of that name
        std::vector<Rule> rules = Load();
        for (auto r = rules.begin(); r != rules.end(); ++r)
            if (r->name == name) return rules.erase(r), Save(rules);
        return S_OK;
    });
    Set(collection.get__NewEnum,
        [](Object*, Object** out) { return *out = new Object(&enumeration, IID_IEnumVARIANT, Rule(), Load()), S_OK; });
    Set(enumeration.Next, [](Object* self, ULONG count, VARIANT* items, ULONG* fetched) {
        ULONG n = 0;
        for (; n < count && !self->rules.empty(); ++n, self->rules.erase(self->rules.begin())) {
            items[n].vt = VT_DISPATCH;
            items[n].pdispVal = reinterpret_cast<IDispatch*>(new Object(&rule, IID_INetFwRule, self->rules.front()));
        }
        return (fetched ? *fetched = n : 0), n == count ? S_OK : S_FALSE;
    });
    Set(rule.put_Name, [](Object* self, BSTR v) {  // a rule of the list is renamed in the file too
        std::vector<Rule> rules = Load();
        for (Rule& r : rules)
            if (r.name == self->rule.name && r.program == self->rule.program)
                return r.name = self->rule.name = v, Save(rules);
        return self->rule.name = v, S_OK;
    });
    // A rule for no program (a port's) has no program name at all, as the system's.
    Set(rule.get_ApplicationName, [](Object* self, BSTR* v) {
        return *v = self->rule.program.empty() ? nullptr : SysAllocString(self->rule.program.c_str()), S_OK;
    });
    Set(rule.put_ApplicationName, [](Object* self, BSTR v) { return self->rule.program = v, S_OK; });
    Set(rule.get_Direction, [](Object* self, LONG* v) { return *v = self->rule.direction, S_OK; });
    Set(rule.put_Direction, [](Object* self, LONG v) { return self->rule.direction = v, S_OK; });
    Set(rule.get_Action, [](Object* self, LONG* v) { return *v = self->rule.action, S_OK; });
    Set(rule.put_Action, [](Object* self, LONG v) { return self->rule.action = v, S_OK; });
    Set(rule.get_Profiles, [](Object* self, LONG* v) { return *v = self->rule.profiles, S_OK; });
    Set(rule.put_Profiles, [](Object* self, LONG v) { return self->rule.profiles = v, S_OK; });
    Set(rule.get_Enabled, [](Object* self, VARIANT_BOOL* v) { return *v = -VARIANT_BOOL(self->rule.enabled), S_OK; });
    Set(rule.put_Enabled, [](Object* self, VARIANT_BOOL v) { return self->rule.enabled = v != VARIANT_FALSE, S_OK; });
    return Set(rule.put_Protocol, [](Object* self, LONG v) { return self->rule.protocol = v, S_OK; }), true;
}

}  // namespace

extern "C" HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
    static const bool ready = SetMethods();
    *out = nullptr;
    if (!ready || (clsid != CLSID_NetFwPolicy2 && clsid != CLSID_NetFwRule)) return CLASS_E_CLASSNOTAVAILABLE;
    Object* made = new Object(&factory, IID_IClassFactory);
    return made->makesPolicy = clsid == CLSID_NetFwPolicy2, HandOut(made, iid, out);
}

extern "C" HRESULT STDAPICALLTYPE DllCanUnloadNow() { return S_FALSE; }

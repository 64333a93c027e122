// Replaces, for the length of a scope, the address that this program's import table holds for
// a system function, so that a test sees the arguments the program hands to the system: what
// Wine accepts without enforcing or keeping it (access masks, display names, a start-up record).
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>

namespace testing_support {

template <typename Function>
class ImportHook {
public:
    // A function this program does not import fails the test (a throw could not pass the
    // system's frames when the hook is made inside a window's callback).
    ImportHook(const char* name, Function replacement) : m_slot(Slot(name)) {
        if (m_slot == nullptr) ADD_FAILURE() << "this program does not import " << name;
        m_original = m_slot != nullptr ? *m_slot : nullptr;
        Set(reinterpret_cast<void*>(replacement));
    }
    ~ImportHook() { Set(m_original); }
    Function Original() const { return reinterpret_cast<Function>(m_original); }  // for a call passed on
    ImportHook(const ImportHook&) = delete;
    ImportHook& operator=(const ImportHook&) = delete;

private:
    static void** Slot(const char* name) {
        auto* base = reinterpret_cast<BYTE*>(::GetModuleHandleW(nullptr));
        const auto* headers =
            reinterpret_cast<IMAGE_NT_HEADERS*>(base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
        const DWORD imports = headers->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress;
        for (auto* dll = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports); dll->Name != 0; ++dll) {
            auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + dll->OriginalFirstThunk);
            auto** slots = reinterpret_cast<void**>(base + dll->FirstThunk);
            for (; names->u1.AddressOfData != 0; ++names, ++slots) {
                if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
                const auto* byName = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
                if (std::strcmp(reinterpret_cast<const char*>(byName->Name), name) == 0) return slots;
            }
        }
        return nullptr;
    }
    void Set(void* address) {
        if (m_slot == nullptr) return;
        DWORD previous = 0;
        ::VirtualProtect(m_slot, sizeof(void*), PAGE_READWRITE, &previous);
        *m_slot = address;
        ::VirtualProtect(m_slot, sizeof(void*), previous, &previous);
    }

    void** m_slot;
    void* m_original = nullptr;
};

}  // namespace testing_support

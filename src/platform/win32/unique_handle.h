// One owner for every kind of Win32 handle: unique_any<Traits> closes what it holds when it
// goes out of scope, and its reset keeps the caller's last error (a close must not hide the
// failure being reported). Traits give the handle type, its empty value and its close call.
#pragma once

#include <windows.h>

namespace platform {

template <typename Traits>
class unique_any {
public:
    using pointer = typename Traits::type;

    unique_any() = default;
    explicit unique_any(pointer value) : value_(value) {}
    ~unique_any() { reset(); }
    unique_any(unique_any&& other) noexcept : value_(other.release()) {}
    unique_any& operator=(unique_any&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    unique_any(const unique_any&) = delete;
    unique_any& operator=(const unique_any&) = delete;

    explicit operator bool() const { return value_ != Traits::Empty(); }
    pointer get() const { return value_; }

    // Closes what it holds (the last error stays as it was) and takes `value`.
    void reset(pointer value = Traits::Empty()) {
        if (value_ != Traits::Empty()) {
            const DWORD lastError = ::GetLastError();
            Traits::Close(value_);
            ::SetLastError(lastError);
        }
        value_ = value;
    }

    // Closes now and tells whether the close worked; its error is then the last error.
    bool close() {
        const pointer value = release();
        return value == Traits::Empty() || Traits::Close(value) != FALSE;
    }

    pointer release() {
        const pointer value = value_;
        value_ = Traits::Empty();
        return value;
    }

private:
    pointer value_ = Traits::Empty();
};

// Kernel objects: processes and threads.
struct HandleTraits {
    using type = HANDLE;
    static HANDLE Empty() { return nullptr; }
    static BOOL Close(HANDLE handle) { return ::CloseHandle(handle); }
};

// Files, whose empty value is INVALID_HANDLE_VALUE.
struct FileTraits {
    using type = HANDLE;
    static HANDLE Empty() { return INVALID_HANDLE_VALUE; }
    static BOOL Close(HANDLE handle) { return ::CloseHandle(handle); }
};

// Directory searches (FindFirstFileW).
struct FindTraits {
    using type = HANDLE;
    static HANDLE Empty() { return INVALID_HANDLE_VALUE; }
    static BOOL Close(HANDLE handle) { return ::FindClose(handle); }
};

// The service control manager and its services.
struct ServiceTraits {
    using type = SC_HANDLE;
    static SC_HANDLE Empty() { return nullptr; }
    static BOOL Close(SC_HANDLE handle) { return ::CloseServiceHandle(handle); }
};

// Registry keys.
struct RegistryTraits {
    using type = HKEY;
    static HKEY Empty() { return nullptr; }
    static BOOL Close(HKEY key) { return ::RegCloseKey(key) == ERROR_SUCCESS; }
};

using unique_handle = unique_any<HandleTraits>;
using unique_file = unique_any<FileTraits>;
using unique_find = unique_any<FindTraits>;
using unique_service = unique_any<ServiceTraits>;
using unique_registry = unique_any<RegistryTraits>;

}  // namespace platform

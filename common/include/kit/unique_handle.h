// One owner for every Win32 handle kind: a handle, a key, a library, a window.
#pragma once

#include <utility>

namespace kit {

// Owns a value of type T released by Close, unless it equals Invalid.
template <typename T, auto Close, T Invalid = T{}>
class UniqueAny {
  public:
    UniqueAny() = default;
    explicit UniqueAny(T value) : value_(value) {}
    UniqueAny(const UniqueAny&) = delete;
    UniqueAny& operator=(const UniqueAny&) = delete;
    UniqueAny(UniqueAny&& other) noexcept : value_(other.release()) {}
    UniqueAny& operator=(UniqueAny&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    ~UniqueAny() { reset(); }

    T get() const { return value_; }
    explicit operator bool() const { return value_ != Invalid; }
    // For APIs that return the handle through an out argument.
    T* put() {
        reset();
        return &value_;
    }
    T release() { return std::exchange(value_, Invalid); }
    void reset(T value = Invalid) {
        T old = std::exchange(value_, value);
        if (old != Invalid) Close(old);
    }

  private:
    T value_ = Invalid;
};

}  // namespace kit

#ifdef _WIN32
#include <windows.h>

namespace kit {

inline void CloseHandleValue(HANDLE h) { ::CloseHandle(h); }
inline void CloseKey(HKEY k) { ::RegCloseKey(k); }
inline void FreeLibraryValue(HMODULE m) { ::FreeLibrary(m); }
inline void DestroyWindowValue(HWND w) { ::DestroyWindow(w); }

using UniqueHandle = UniqueAny<HANDLE, CloseHandleValue>;  // null means none
// CreateFile and friends signal failure with INVALID_HANDLE_VALUE instead of null.
struct UniqueFileHandle {
    UniqueFileHandle() = default;
    explicit UniqueFileHandle(HANDLE h) : handle(h == INVALID_HANDLE_VALUE ? nullptr : h) {}
    HANDLE get() const { return handle.get(); }
    explicit operator bool() const { return static_cast<bool>(handle); }
    void reset() { handle.reset(); }
    UniqueHandle handle;
};
using UniqueKey = UniqueAny<HKEY, CloseKey>;
using UniqueLibrary = UniqueAny<HMODULE, FreeLibraryValue>;
using UniqueWindow = UniqueAny<HWND, DestroyWindowValue>;

}  // namespace kit
#endif

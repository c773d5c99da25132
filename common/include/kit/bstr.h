// One owner for a BSTR: frees it with SysFreeString when the owner goes away.
#pragma once

#ifdef _WIN32
#include <windows.h>
// after windows.h
#include <oleauto.h>

#include <string>
#include <string_view>
#include <utility>

namespace kit {

class UniqueBstr {
  public:
    UniqueBstr() = default;
    // Takes over a BSTR that the caller owns.
    explicit UniqueBstr(BSTR value) : value_(value) {}
    // A new BSTR with this text (embedded nulls kept); empty on out of memory, see valid().
    static UniqueBstr From(std::wstring_view text) {
        return UniqueBstr(SysAllocStringLen(text.data(), static_cast<UINT>(text.size())));
    }
    UniqueBstr(const UniqueBstr&) = delete;
    UniqueBstr& operator=(const UniqueBstr&) = delete;
    UniqueBstr(UniqueBstr&& other) noexcept : value_(other.release()) {}
    UniqueBstr& operator=(UniqueBstr&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    ~UniqueBstr() { reset(); }

    BSTR get() const { return value_; }
    explicit operator bool() const { return value_ != nullptr; }
    // For APIs that return a BSTR through an out argument.
    BSTR* put() {
        reset();
        return &value_;
    }
    BSTR release() { return std::exchange(value_, nullptr); }
    void reset(BSTR value = nullptr) {
        if (BSTR old = std::exchange(value_, value)) SysFreeString(old);
    }
    // The text; a null BSTR is the empty text, as Automation reads it.
    std::wstring str() const { return value_ ? std::wstring(value_, SysStringLen(value_)) : L""; }

  private:
    BSTR value_ = nullptr;
};

}  // namespace kit
#endif

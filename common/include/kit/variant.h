// One owner for a VARIANT: cleared with VariantClear when the owner goes away, so the BSTR, the
// interface or the array it holds is released exactly once.
#pragma once

#ifdef _WIN32
#include <windows.h>
// after windows.h
#include <oleauto.h>

#include <utility>

namespace kit {

class UniqueVariant {
  public:
    UniqueVariant() { VariantInit(&value_); }
    // Takes over what the caller's VARIANT holds; the caller's is left empty.
    explicit UniqueVariant(VARIANT* taken) : UniqueVariant() { std::swap(value_, *taken); }
    UniqueVariant(const UniqueVariant&) = delete;
    UniqueVariant& operator=(const UniqueVariant&) = delete;
    UniqueVariant(UniqueVariant&& other) noexcept : UniqueVariant() {
        std::swap(value_, other.value_);
    }
    UniqueVariant& operator=(UniqueVariant&& other) noexcept {
        if (this != &other) {
            reset();
            std::swap(value_, other.value_);
        }
        return *this;
    }
    ~UniqueVariant() { VariantClear(&value_); }

    VARIANT* get() { return &value_; }
    const VARIANT* get() const { return &value_; }
    VARTYPE type() const { return V_VT(&value_); }
    // Cleared, for APIs that fill a VARIANT through an out argument.
    VARIANT* put() {
        reset();
        return &value_;
    }
    void reset() {
        VariantClear(&value_);
        VariantInit(&value_);
    }
    // Gives what it holds to the caller (who must clear it).
    VARIANT release() {
        VARIANT out = value_;
        VariantInit(&value_);
        return out;
    }

  private:
    VARIANT value_;
};

}  // namespace kit
#endif

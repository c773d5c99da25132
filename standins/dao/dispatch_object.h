// A hand-written IDispatch object for the stand-in engine: members are found by name (case
// ignored), a call arrives as the member's name with its arguments in call order, and an
// EngineError thrown by a member leaves as DISP_E_EXCEPTION with the engine's number and
// description in the EXCEPINFO, as the real engine reports its errors.
#pragma once

#include <windows.h>
// after windows.h
#include <oleauto.h>

#include <atomic>
#include <string>
#include <vector>

namespace dao_standin {

struct EngineError {
    std::int32_t number;
    std::wstring description;
};

// The engine's errors that the stand-in raises.
EngineError MissingFile(const std::wstring& path);                    // 3024
EngineError MissingTable(const std::wstring& name);                   // 3078
EngineError ItemNotFound();                                           // 3265
EngineError ConversionError();                                        // 3421
EngineError DuplicateKey();                                           // 3022
EngineError RequiredField(const std::wstring& tableDotField);         // 3314
EngineError ReservedError(std::int32_t number, std::wstring detail);  // anything else

// One call's arguments in call order (DISPPARAMS holds them reversed), by-reference ones seen
// through; an argument passed as "missing" (VT_ERROR, DISP_E_PARAMNOTFOUND) counts as absent.
class Arguments {
  public:
    explicit Arguments(const DISPPARAMS* params);
    std::size_t Count() const { return values_.size(); }
    bool Has(std::size_t index) const;
    const VARIANT& At(std::size_t index) const { return *values_.at(index); }
    // The argument as text, or as a number; a missing one gives the fallback.
    std::wstring Text(std::size_t index, const std::wstring& fallback = {}) const;
    std::int32_t Number(std::size_t index, std::int32_t fallback) const;
    // The value of a property assignment (the named DISPID_PROPERTYPUT argument).
    const VARIANT* Assigned() const { return assigned_; }

  private:
    std::vector<const VARIANT*> values_;
    const VARIANT* assigned_ = nullptr;
};

// Objects alive in this DLL, for DllCanUnloadNow.
std::atomic<long>& LiveObjects();

class DispatchObject : public IDispatch {
  public:
    // members: the names GetIDsOfNames knows; defaultMember answers DISPID_VALUE ("" for none).
    DispatchObject(std::vector<std::wstring> members, std::wstring defaultMember);
    DispatchObject(const DispatchObject&) = delete;
    DispatchObject& operator=(const DispatchObject&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID,
                                            DISPID* ids) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params,
                                     VARIANT* result, EXCEPINFO* exception,
                                     UINT* argumentError) override;

  protected:
    virtual ~DispatchObject();
    // Runs one member (its name as listed); `result` may be left empty. Throws EngineError.
    virtual void Call(const std::wstring& member, WORD flags, const Arguments& arguments,
                      VARIANT& result) = 0;

  private:
    std::atomic<long> references_{1};
    std::vector<std::wstring> members_;
    std::wstring defaultMember_;
};

// Hands a new object to a VARIANT result (the object's first reference goes with it).
void ReturnObject(VARIANT& result, DispatchObject* object);

}  // namespace dao_standin

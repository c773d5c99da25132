#include "com/murello_object.h"

#include <oleauto.h>

#include <cstdint>
#include <string>
#include <utility>

#include "com/automation_error.h"
#include "com/keep_alive.h"
#include "com/server_module.h"
#include "com/type_library_dispatch.h"

namespace reader::com {

HRESULT MurelloObject::Create(REFIID riid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    std::unique_ptr<reader::Murello> logic;
    HRESULT hr = CallLogic(IID__Murello, [&] {
        logic = reader::CreateMurello(reader::VariantOf(reader::ReaderBuild::MURELLO_BUILD));
    });
    if (FAILED(hr)) return hr;
    std::unique_ptr<MurelloObject> created;
    try {
        created = std::make_unique<MurelloObject>(std::move(logic));
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    // From here the reference count owns the object: it deletes itself in Release.
    MurelloObject* owned = created.release();
    hr = owned->QueryInterface(riid, object);
    owned->Release();
    return hr;
}

MurelloObject::MurelloObject(std::unique_ptr<reader::Murello> logic) : logic_(std::move(logic)) {
    ObjectCreated();
}

MurelloObject::~MurelloObject() { ObjectDestroyed(); }

HRESULT MurelloObject::QueryInterface(REFIID riid, void** object) {
    if (!object) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IDispatch || riid == IID__Murello) {
        *object = static_cast<_Murello*>(this);
    } else if (riid == IID_ISupportErrorInfo) {
        *object = static_cast<ISupportErrorInfo*>(this);
    } else {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

ULONG MurelloObject::AddRef() { return ++references_; }

ULONG MurelloObject::Release() {
    ULONG left = --references_;
    // The one place where the object ends: the last reference is gone.
    if (left == 0) delete this;
    return left;
}

HRESULT MurelloObject::GetTypeInfoCount(UINT* count) {
    return TypeLibraryDispatch::GetTypeInfoCount(count);
}

HRESULT MurelloObject::GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) {
    return TypeLibraryDispatch::GetTypeInfo(index, lcid, info);
}

HRESULT MurelloObject::GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
    if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
    return TypeLibraryDispatch::GetIDsOfNames(names, count, ids);
}

HRESULT MurelloObject::Invoke(DISPID id, REFIID riid, LCID, WORD flags, DISPPARAMS* params,
                              VARIANT* result, EXCEPINFO* exception, UINT* argumentError) {
    if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
    return TypeLibraryDispatch::Invoke(static_cast<_Murello*>(this), id, flags, params, result,
                                       exception, argumentError);
}

HRESULT MurelloObject::InterfaceSupportsErrorInfo(REFIID riid) {
    return riid == IID__Murello ? S_OK : S_FALSE;
}

HRESULT MurelloObject::get_Porta(PortaValue* value) {
    if (!value) return E_POINTER;
    *value = static_cast<PortaValue>(logic_->Porta);
    return S_OK;
}

HRESULT MurelloObject::put_Porta(PortaValue value) {
    logic_->Porta = static_cast<std::int32_t>(value);
    return S_OK;
}

HRESULT MurelloObject::get_DbPath(BSTR* value) {
    if (!value) return E_POINTER;
    *value = SysAllocStringLen(logic_->DbPath.data(), static_cast<UINT>(logic_->DbPath.size()));
    return *value ? S_OK : E_OUTOFMEMORY;
}

HRESULT MurelloObject::put_DbPath(BSTR value) {
    return CallLogic(IID__Murello,
                     [&] { logic_->DbPath.assign(value ? value : L"", SysStringLen(value)); });
}

#ifdef MURELLO_HAS_IDUT
HRESULT MurelloObject::get_IdUt(short* value) {
    if (!value) return E_POINTER;
    *value = logic_->IdUt;
    return S_OK;
}

HRESULT MurelloObject::put_IdUt(short value) {
    logic_->IdUt = value;
    return S_OK;
}
#endif

template <typename Call>
HRESULT MurelloObject::RunMethod(VARIANT* result, Call&& call) {
    if (result) VariantInit(result);
    KeepAlive alive(static_cast<_Murello*>(this));
    return CallLogic(IID__Murello, std::forward<Call>(call));
}

HRESULT MurelloObject::Scarica(VARIANT* result) {
    if (!result) return E_POINTER;
    return RunMethod(result, [&] { logic_->Scarica(); });
}

HRESULT MurelloObject::Scarica1(VARIANT* result) {
    return RunMethod(result, [&] { logic_->Scarica1(); });
}

#ifdef MURELLO_HAS_TERMINAL
HRESULT MurelloObject::Scarica3(VARIANT* result) {
    return RunMethod(result, [&] { logic_->Scarica3(); });
}
HRESULT MurelloObject::Scarica4(VARIANT* result) {
    return RunMethod(result, [&] { logic_->Scarica4(); });
}
HRESULT MurelloObject::Scarica5(VARIANT* result) {
    return RunMethod(result, [&] { logic_->Scarica5(); });
}
HRESULT MurelloObject::Upload1(VARIANT* result) {
    return RunMethod(result, [&] { logic_->Upload1(); });
}
#endif

#ifdef MURELLO_HAS_RIMESSE_OF
HRESULT MurelloObject::Scarica_RimesseOF(VARIANT* result) {
    return RunMethod(result, [&] { logic_->Scarica_RimesseOF(); });
}
#endif

#if defined(MURELLO_HAS_READER_PROGRAM) || defined(MURELLO_HAS_LABELS)
namespace {

std::wstring TextOf(const BSTR* value) {
    return value && *value ? std::wstring(*value, SysStringLen(*value)) : std::wstring();
}

// An optional by-reference argument, or null when the caller left it out. Wine's type library
// dispatch (8.0) passes an omitted argument's default value (1, 0, -1) where the pointer should
// be; such values are never valid pointers (the lowest and highest 64 KiB are never mapped), so
// they are read as omitted instead of being followed.
template <typename T>
T* Given(T* argument) {
    const auto value = reinterpret_cast<std::uintptr_t>(argument);
    constexpr std::uintptr_t kUnmapped = 0x10000;
    return value < kUnmapped || value > ~kUnmapped ? nullptr : argument;
}

// Writes text back into a by-reference BSTR when it changed; false when out of memory.
bool PutBack(BSTR* target, const std::wstring& text) {
    if (!target || TextOf(target) == text) return true;
    BSTR copy = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    if (!copy) return false;
    SysFreeString(*target);
    *target = copy;
    return true;
}

}  // namespace

template <typename Call>
HRESULT MurelloObject::RunReaderProgram(BSTR* first, BSTR* second, Scarica_COM* PortaCOM,
                                        Scarica_Baud* Baud, Scarica_ModFile* ModFile,
                                        VARIANT_BOOL* CR, VARIANT_BOOL* LF,
                                        VARIANT_BOOL* MostraErrore, VARIANT_BOOL* MostraFile,
                                        VARIANT_BOOL* MostraMaschera, short* Timeout, Call&& call) {
    PortaCOM = Given(PortaCOM);
    Baud = Given(Baud);
    ModFile = Given(ModFile);
    CR = Given(CR);
    LF = Given(LF);
    MostraErrore = Given(MostraErrore);
    MostraFile = Given(MostraFile);
    MostraMaschera = Given(MostraMaschera);
    Timeout = Given(Timeout);
    std::wstring firstText = TextOf(first);
    std::wstring secondText = TextOf(second);
    reader::ReaderProgramOptions options;
    // An optional argument the caller left out keeps its default.
    if (PortaCOM) options.PortaCOM = static_cast<std::int32_t>(*PortaCOM);
    if (Baud) options.Baud = static_cast<std::int32_t>(*Baud);
    if (ModFile) options.ModFile = static_cast<std::int32_t>(*ModFile);
    if (CR) options.CR = *CR != VARIANT_FALSE;
    if (LF) options.LF = *LF != VARIANT_FALSE;
    if (MostraErrore) options.MostraErrore = *MostraErrore != VARIANT_FALSE;
    if (MostraFile) options.MostraFile = *MostraFile != VARIANT_FALSE;
    if (MostraMaschera) options.MostraMaschera = *MostraMaschera != VARIANT_FALSE;
    if (Timeout) options.Timeout = *Timeout;
    const HRESULT hr = RunMethod(nullptr, [&] { call(firstText, secondText, options); });
    if (FAILED(hr)) return hr;
    if (!PutBack(first, firstText) || !PutBack(second, secondText)) return E_OUTOFMEMORY;
    auto flag = [](bool value) { return value ? VARIANT_TRUE : VARIANT_FALSE; };
    if (PortaCOM) *PortaCOM = static_cast<Scarica_COM>(options.PortaCOM);
    if (Baud) *Baud = static_cast<Scarica_Baud>(options.Baud);
    if (ModFile) *ModFile = static_cast<Scarica_ModFile>(options.ModFile);
    if (CR) *CR = flag(options.CR);
    if (LF) *LF = flag(options.LF);
    if (MostraErrore) *MostraErrore = flag(options.MostraErrore);
    if (MostraFile) *MostraFile = flag(options.MostraFile);
    if (MostraMaschera) *MostraMaschera = flag(options.MostraMaschera);
    if (Timeout) *Timeout = options.Timeout;
    return hr;
}
#endif

#ifdef MURELLO_HAS_READER_PROGRAM
HRESULT MurelloObject::Scarica2(BSTR* PercorsoMDB, BSTR* PercorsoFile, Scarica_COM* PortaCOM,
                                Scarica_Baud* Baud, Scarica_ModFile* ModFile, VARIANT_BOOL* CR,
                                VARIANT_BOOL* LF, VARIANT_BOOL* MostraErrore,
                                VARIANT_BOOL* MostraFile, VARIANT_BOOL* MostraMaschera,
                                short* Timeout) {
    return RunReaderProgram(PercorsoMDB, PercorsoFile, PortaCOM, Baud, ModFile, CR, LF,
                            MostraErrore, MostraFile, MostraMaschera, Timeout,
                            [&](std::wstring& mdb, std::wstring& file, auto& options) {
                                logic_->Scarica2(mdb, file, options);
                            });
}
#endif

#ifdef MURELLO_HAS_LABELS
HRESULT MurelloObject::Scarica_RovovaDeru(BSTR* MDB_TabellaTemp, BSTR* FileTxtTemp,
                                          Scarica_COM* PortaCOM, Scarica_Baud* Baud,
                                          Scarica_ModFile* ModFile, VARIANT_BOOL* CR,
                                          VARIANT_BOOL* LF, VARIANT_BOOL* MostraErrore,
                                          VARIANT_BOOL* MostraFile, VARIANT_BOOL* MostraMaschera,
                                          short* Timeout) {
    return RunReaderProgram(MDB_TabellaTemp, FileTxtTemp, PortaCOM, Baud, ModFile, CR, LF,
                            MostraErrore, MostraFile, MostraMaschera, Timeout,
                            [&](std::wstring& table, std::wstring& file, auto& options) {
                                logic_->Scarica_RovovaDeru(table, file, options);
                            });
}
#endif

}  // namespace reader::com

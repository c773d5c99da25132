// The COM object Murello: the build's dual interface _Murello over one reader::Murello. The
// build description (reader/builds/<Name>) gives the interface (murello_idl.h, generated from its
// IDL) and the switches that say which members it has:
//   MURELLO_BUILD=<Name>      the build, for the behaviour that differs at run time
//   MURELLO_PORTA_16BIT       Porta is a 16-bit integer instead of Scarica_COM
//   MURELLO_HAS_IDUT          IdUt
//   MURELLO_HAS_TERMINAL      Scarica3, Scarica4, Scarica5, Upload1
//   MURELLO_HAS_RIMESSE_OF    Scarica_RimesseOF
//   MURELLO_HAS_READER_PROGRAM Scarica2
//   MURELLO_HAS_LABELS        Scarica_RovovaDeru
#pragma once

#include <windows.h>
// after windows.h
#include <oaidl.h>

#include <atomic>
#include <memory>

#include "core/murello.h"
#include "murello_idl.h"

namespace reader::com {

#ifdef MURELLO_PORTA_16BIT
using PortaValue = short;
#else
using PortaValue = Scarica_COM;
#endif

class MurelloObject final : public _Murello, public ISupportErrorInfo {
  public:
    // Creates an object and returns its interface riid; the object's logic may refuse creation.
    static HRESULT Create(REFIID riid, void** object);

    explicit MurelloObject(std::unique_ptr<reader::Murello> logic);
    MurelloObject(const MurelloObject&) = delete;
    MurelloObject& operator=(const MurelloObject&) = delete;
    ~MurelloObject();

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    // IDispatch
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid,
                                            DISPID* ids) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags,
                                     DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception,
                                     UINT* argumentError) override;

    // ISupportErrorInfo
    HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID riid) override;

    // _Murello
    HRESULT STDMETHODCALLTYPE get_Porta(PortaValue* value) override;
    HRESULT STDMETHODCALLTYPE put_Porta(PortaValue value) override;
    HRESULT STDMETHODCALLTYPE get_DbPath(BSTR* value) override;
    HRESULT STDMETHODCALLTYPE put_DbPath(BSTR value) override;
#ifdef MURELLO_HAS_IDUT
    HRESULT STDMETHODCALLTYPE get_IdUt(short* value) override;
    HRESULT STDMETHODCALLTYPE put_IdUt(short value) override;
#endif
    HRESULT STDMETHODCALLTYPE Scarica(VARIANT* result) override;
#ifdef MURELLO_HAS_TERMINAL
    HRESULT STDMETHODCALLTYPE Scarica3(VARIANT* result) override;
    HRESULT STDMETHODCALLTYPE Scarica4(VARIANT* result) override;
    HRESULT STDMETHODCALLTYPE Scarica5(VARIANT* result) override;
#endif
#ifdef MURELLO_HAS_RIMESSE_OF
    HRESULT STDMETHODCALLTYPE Scarica_RimesseOF(VARIANT* result) override;
#endif
    HRESULT STDMETHODCALLTYPE Scarica1(VARIANT* result) override;
#ifdef MURELLO_HAS_READER_PROGRAM
    HRESULT STDMETHODCALLTYPE Scarica2(BSTR* PercorsoMDB, BSTR* PercorsoFile, Scarica_COM* PortaCOM,
                                       Scarica_Baud* Baud, Scarica_ModFile* ModFile,
                                       VARIANT_BOOL* CR, VARIANT_BOOL* LF,
                                       VARIANT_BOOL* MostraErrore, VARIANT_BOOL* MostraFile,
                                       VARIANT_BOOL* MostraMaschera, short* Timeout) override;
#endif
#ifdef MURELLO_HAS_TERMINAL
    HRESULT STDMETHODCALLTYPE Upload1(VARIANT* result) override;
#endif
#ifdef MURELLO_HAS_LABELS
    HRESULT STDMETHODCALLTYPE Scarica_RovovaDeru(
        BSTR* MDB_TabellaTemp, BSTR* FileTxtTemp, Scarica_COM* PortaCOM, Scarica_Baud* Baud,
        Scarica_ModFile* ModFile, VARIANT_BOOL* CR, VARIANT_BOOL* LF, VARIANT_BOOL* MostraErrore,
        VARIANT_BOOL* MostraFile, VARIANT_BOOL* MostraMaschera, short* Timeout) override;
#endif

  private:
    // Every method: clears the result, keeps the object alive while the logic runs (it may
    // process messages while it waits) and turns what the logic raises into an Automation error.
    template <typename Call>
    HRESULT RunMethod(VARIANT* result, Call&& call);
#if defined(MURELLO_HAS_READER_PROGRAM) || defined(MURELLO_HAS_LABELS)
    // Scarica2 and Scarica_RovovaDeru: the by-reference arguments in and, on success, back out.
    template <typename Call>
    HRESULT RunReaderProgram(BSTR* first, BSTR* second, Scarica_COM* PortaCOM, Scarica_Baud* Baud,
                             Scarica_ModFile* ModFile, VARIANT_BOOL* CR, VARIANT_BOOL* LF,
                             VARIANT_BOOL* MostraErrore, VARIANT_BOOL* MostraFile,
                             VARIANT_BOOL* MostraMaschera, short* Timeout, Call&& call);
#endif

    std::atomic<ULONG> references_{1};
    std::unique_ptr<reader::Murello> logic_;
};

}  // namespace reader::com

// Writes what a component DLL tells about itself as text, so that tests can compare it with what a
// build must be:
//   component_dump typelib <file>  the type library (of a .tlb file or a DLL that carries one):
//                                  one line per library, type, member, parameter and constant
//   component_dump version <file>  the version resource: fixed file version and string fields
//   component_dump call <ProgID> <member>
//                                  creates the object and calls a member without arguments
//                                  through the vtable of its dual interface (early binding), then
//                                  prints the HRESULT and the error information it left
//   component_dump lifetime <dll>  DllCanUnloadNow while an object lives, after its release,
//                                  while the class object is locked, after the unlock
#include <windows.h>
// after windows.h
#include <oleauto.h>

#include <cstdio>
#include <string>
#include <vector>

#include "kit/com_ptr.h"
#include "kit/unique_handle.h"

namespace {

using kit::ComPtr;

std::string Narrow(const wchar_t* text) {
    if (!text || !*text) return {};
    int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), size, nullptr, nullptr);
    out.resize(static_cast<size_t>(size - 1));
    return out;
}

// A BSTR owned for the length of one statement or scope.
struct Bstr {
    BSTR value = nullptr;
    ~Bstr() { SysFreeString(value); }
    std::string text() const { return Narrow(value); }
};

std::string GuidText(const GUID& guid) {
    wchar_t buffer[40] = {};
    StringFromGUID2(guid, buffer, 40);
    return Narrow(buffer);
}

std::string Hex(unsigned long value) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "0x%08lX", value);
    return buffer;
}

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

std::string FlagList(unsigned value, const std::vector<std::pair<unsigned, const char*>>& names) {
    std::string out;
    for (const auto& [bit, name] : names) {
        if (value & bit) {
            out += out.empty() ? "" : ",";
            out += name;
            value &= ~bit;
        }
    }
    if (value) out += (out.empty() ? "" : ",") + Hex(value);
    return out.empty() ? "none" : out;
}

std::string TypeFlags(unsigned flags) {
    return FlagList(flags, {{TYPEFLAG_FAPPOBJECT, "appobject"},
                            {TYPEFLAG_FCANCREATE, "cancreate"},
                            {TYPEFLAG_FLICENSED, "licensed"},
                            {TYPEFLAG_FPREDECLID, "predeclid"},
                            {TYPEFLAG_FHIDDEN, "hidden"},
                            {TYPEFLAG_FCONTROL, "control"},
                            {TYPEFLAG_FDUAL, "dual"},
                            {TYPEFLAG_FNONEXTENSIBLE, "nonextensible"},
                            {TYPEFLAG_FOLEAUTOMATION, "oleautomation"},
                            {TYPEFLAG_FRESTRICTED, "restricted"},
                            {TYPEFLAG_FAGGREGATABLE, "aggregatable"},
                            {TYPEFLAG_FREPLACEABLE, "replaceable"},
                            {TYPEFLAG_FDISPATCHABLE, "dispatchable"},
                            {TYPEFLAG_FREVERSEBIND, "reversebind"},
                            {TYPEFLAG_FPROXY, "proxy"}});
}

std::string ParamFlags(unsigned flags) {
    return FlagList(flags, {{PARAMFLAG_FIN, "in"},
                            {PARAMFLAG_FOUT, "out"},
                            {PARAMFLAG_FLCID, "lcid"},
                            {PARAMFLAG_FRETVAL, "retval"},
                            {PARAMFLAG_FOPT, "optional"},
                            {PARAMFLAG_FHASDEFAULT, "hasdefault"},
                            {PARAMFLAG_FHASCUSTDATA, "hascustdata"}});
}

const char* KindName(TYPEKIND kind) {
    switch (kind) {
        case TKIND_ENUM:
            return "enum";
        case TKIND_RECORD:
            return "record";
        case TKIND_MODULE:
            return "module";
        case TKIND_INTERFACE:
            return "interface";
        case TKIND_DISPATCH:
            return "dispatch";
        case TKIND_COCLASS:
            return "coclass";
        case TKIND_ALIAS:
            return "alias";
        case TKIND_UNION:
            return "union";
        default:
            return "unknown";
    }
}

const char* InvokeKindName(INVOKEKIND kind) {
    switch (kind) {
        case INVOKE_FUNC:
            return "func";
        case INVOKE_PROPERTYGET:
            return "propget";
        case INVOKE_PROPERTYPUT:
            return "propput";
        case INVOKE_PROPERTYPUTREF:
            return "propputref";
        default:
            return "unknown";
    }
}

std::string TypeName(ITypeInfo* owner, const TYPEDESC& desc) {
    switch (desc.vt) {
        case VT_PTR:
            return TypeName(owner, *desc.lptdesc) + "*";
        case VT_USERDEFINED: {
            ComPtr<ITypeInfo> ref;
            if (FAILED(owner->GetRefTypeInfo(desc.hreftype, ref.put()))) return "?userdefined";
            Bstr name;
            ref->GetDocumentation(MEMBERID_NIL, &name.value, nullptr, nullptr, nullptr);
            return name.text();
        }
        case VT_EMPTY:
            return "EMPTY";
        case VT_I2:
            return "I2";
        case VT_I4:
            return "I4";
        case VT_R4:
            return "R4";
        case VT_R8:
            return "R8";
        case VT_CY:
            return "CY";
        case VT_DATE:
            return "DATE";
        case VT_BSTR:
            return "BSTR";
        case VT_DISPATCH:
            return "DISPATCH";
        case VT_ERROR:
            return "ERROR";
        case VT_BOOL:
            return "BOOL";
        case VT_VARIANT:
            return "VARIANT";
        case VT_UNKNOWN:
            return "UNKNOWN";
        case VT_UI1:
            return "UI1";
        case VT_INT:
            return "INT";
        case VT_UINT:
            return "UINT";
        case VT_VOID:
            return "VOID";
        case VT_HRESULT:
            return "HRESULT";
        default:
            return "VT" + std::to_string(desc.vt);
    }
}

// The stored value with its variant type, so that a Boolean True stored as 255 shows.
std::string ValueText(const VARIANT& value) {
    switch (V_VT(&value)) {
        case VT_BOOL:
            return "BOOL " + std::to_string(V_BOOL(&value));
        case VT_I2:
            return "I2 " + std::to_string(V_I2(&value));
        case VT_I4:
            return "I4 " + std::to_string(V_I4(&value));
        case VT_UI1:
            return "UI1 " + std::to_string(V_UI1(&value));
        case VT_INT:
            return "INT " + std::to_string(V_INT(&value));
        case VT_BSTR:
            return "BSTR " + Quoted(Narrow(V_BSTR(&value)));
        default:
            return "VT" + std::to_string(V_VT(&value));
    }
}

std::string HelpSuffix(ITypeInfo* info, MEMBERID id) {
    Bstr help;
    DWORD context = 0;
    info->GetDocumentation(id, nullptr, &help.value, &context, nullptr);
    std::string out;
    if (help.value) out += " help " + Quoted(help.text());
    if (context) out += " helpcontext " + std::to_string(context);
    return out;
}

void DumpTypeHeader(ITypeInfo* info, const TYPEATTR& attr, const char* indent) {
    Bstr name;
    info->GetDocumentation(MEMBERID_NIL, &name.value, nullptr, nullptr, nullptr);
    std::printf("%s%s %s %s version %u.%u flags %s%s\n", indent, KindName(attr.typekind),
                name.text().c_str(), GuidText(attr.guid).c_str(), attr.wMajorVerNum,
                attr.wMinorVerNum, TypeFlags(attr.wTypeFlags).c_str(),
                HelpSuffix(info, MEMBERID_NIL).c_str());
}

void DumpImplTypes(ITypeInfo* info, const TYPEATTR& attr) {
    for (UINT i = 0; i < attr.cImplTypes; ++i) {
        HREFTYPE ref = 0;
        ComPtr<ITypeInfo> base;
        INT flags = 0;
        info->GetImplTypeFlags(i, &flags);
        if (FAILED(info->GetRefTypeOfImplType(i, &ref)) ||
            FAILED(info->GetRefTypeInfo(ref, base.put())))
            continue;
        Bstr name;
        base->GetDocumentation(MEMBERID_NIL, &name.value, nullptr, nullptr, nullptr);
        std::printf(
            "  implements %s flags %s\n", name.text().c_str(),
            FlagList(static_cast<unsigned>(flags), {{IMPLTYPEFLAG_FDEFAULT, "default"},
                                                    {IMPLTYPEFLAG_FSOURCE, "source"},
                                                    {IMPLTYPEFLAG_FRESTRICTED, "restricted"}})
                .c_str());
    }
}

void DumpFunctions(ITypeInfo* info, const TYPEATTR& attr) {
    for (UINT i = 0; i < attr.cFuncs; ++i) {
        FUNCDESC* func = nullptr;
        if (FAILED(info->GetFuncDesc(i, &func))) continue;
        std::vector<BSTR> names(static_cast<size_t>(func->cParams) + 1, nullptr);
        UINT count = 0;
        info->GetNames(func->memid, names.data(), static_cast<UINT>(names.size()), &count);
        // A property's get and let share one id: ask for the names of this very member.
        std::printf("  %s %s %s returns %s flags %s%s\n",
                    Hex(static_cast<unsigned long>(func->memid)).c_str(),
                    InvokeKindName(func->invkind), Narrow(names[0]).c_str(),
                    TypeName(info, func->elemdescFunc.tdesc).c_str(),
                    FlagList(func->wFuncFlags, {{FUNCFLAG_FRESTRICTED, "restricted"},
                                                {FUNCFLAG_FHIDDEN, "hidden"},
                                                {FUNCFLAG_FDEFAULTBIND, "defaultbind"}})
                        .c_str(),
                    HelpSuffix(info, func->memid).c_str());
        for (SHORT p = 0; p < func->cParams; ++p) {
            const ELEMDESC& param = func->lprgelemdescParam[p];
            std::string name =
                static_cast<UINT>(p) + 1 < count ? Narrow(names[static_cast<size_t>(p) + 1]) : "";
            std::string line = "    param " + (name.empty() ? std::string("(unnamed)") : name) +
                               " " + TypeName(info, param.tdesc) + " " +
                               ParamFlags(param.paramdesc.wParamFlags);
            if ((param.paramdesc.wParamFlags & PARAMFLAG_FHASDEFAULT) &&
                param.paramdesc.pparamdescex)
                line += " default " + ValueText(param.paramdesc.pparamdescex->varDefaultValue);
            std::printf("%s\n", line.c_str());
        }
        for (BSTR name : names) SysFreeString(name);
        info->ReleaseFuncDesc(func);
    }
}

void DumpVariables(ITypeInfo* info, const TYPEATTR& attr) {
    for (UINT i = 0; i < attr.cVars; ++i) {
        VARDESC* var = nullptr;
        if (FAILED(info->GetVarDesc(i, &var))) continue;
        Bstr name;
        info->GetDocumentation(var->memid, &name.value, nullptr, nullptr, nullptr);
        std::string value =
            var->varkind == VAR_CONST && var->lpvarValue ? ValueText(*var->lpvarValue) : "?";
        std::printf("  %s %s = %s%s\n", Hex(static_cast<unsigned long>(var->memid)).c_str(),
                    name.text().c_str(), value.c_str(), HelpSuffix(info, var->memid).c_str());
        info->ReleaseVarDesc(var);
    }
}

void DumpType(ITypeInfo* info, const char* indent) {
    TYPEATTR* attr = nullptr;
    if (FAILED(info->GetTypeAttr(&attr))) return;
    DumpTypeHeader(info, *attr, indent);
    if (attr->typekind == TKIND_DISPATCH && (attr->wTypeFlags & TYPEFLAG_FDUAL)) {
        // The members of a dual interface are read from its vtable side, as declared.
        HREFTYPE ref = 0;
        ComPtr<ITypeInfo> vtable;
        if (SUCCEEDED(info->GetRefTypeOfImplType(static_cast<UINT>(-1), &ref)) &&
            SUCCEEDED(info->GetRefTypeInfo(ref, vtable.put()))) {
            DumpType(vtable.get(), "");
        }
    } else {
        DumpImplTypes(info, *attr);
        DumpFunctions(info, *attr);
        DumpVariables(info, *attr);
    }
    info->ReleaseTypeAttr(attr);
}

const char* SysKindName(SYSKIND kind) {
    switch (kind) {
        case SYS_WIN16:
            return "win16";
        case SYS_WIN32:
            return "win32";
        case SYS_MAC:
            return "mac";
        case SYS_WIN64:
            return "win64";
        default:
            return "unknown";
    }
}

int DumpTypeLibrary(const wchar_t* path) {
    ComPtr<ITypeLib> lib;
    HRESULT hr = LoadTypeLibEx(path, REGKIND_NONE, lib.put());
    if (FAILED(hr)) {
        std::fprintf(stderr, "LoadTypeLibEx failed: 0x%08lX\n", static_cast<unsigned long>(hr));
        return 1;
    }
    TLIBATTR* attr = nullptr;
    lib->GetLibAttr(&attr);
    Bstr name, help;
    lib->GetDocumentation(-1, &name.value, &help.value, nullptr, nullptr);
    std::printf("library %s %s version %u.%u lcid 0x%04lX syskind %s flags %u%s\n",
                name.text().c_str(), GuidText(attr->guid).c_str(), attr->wMajorVerNum,
                attr->wMinorVerNum, static_cast<unsigned long>(attr->lcid),
                SysKindName(attr->syskind), attr->wLibFlags,
                help.value ? (" help " + Quoted(help.text())).c_str() : "");
    lib->ReleaseTLibAttr(attr);
    for (UINT i = 0; i < lib->GetTypeInfoCount(); ++i) {
        ComPtr<ITypeInfo> info;
        if (SUCCEEDED(lib->GetTypeInfo(i, info.put()))) DumpType(info.get(), "");
    }
    return 0;
}

int DumpVersion(const wchar_t* path) {
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeW(path, &ignored);
    std::vector<unsigned char> data(size);
    if (size == 0 || !GetFileVersionInfoW(path, 0, size, data.data())) {
        std::fprintf(stderr, "no version resource: error %lu\n", GetLastError());
        return 1;
    }
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&fixed), &length) && fixed) {
        std::printf("FILEVERSION %lu.%lu.%lu.%lu\n",
                    static_cast<unsigned long>(HIWORD(fixed->dwFileVersionMS)),
                    static_cast<unsigned long>(LOWORD(fixed->dwFileVersionMS)),
                    static_cast<unsigned long>(HIWORD(fixed->dwFileVersionLS)),
                    static_cast<unsigned long>(LOWORD(fixed->dwFileVersionLS)));
        std::printf("FILETYPE %s\n", fixed->dwFileType == VFT_DLL ? "dll" : "other");
    }
    struct Translation {
        WORD language;
        WORD codePage;
    }* translations = nullptr;
    if (!VerQueryValueW(data.data(), L"\\VarFileInfo\\Translation",
                        reinterpret_cast<void**>(&translations), &length) ||
        length < sizeof(Translation))
        return 0;
    wchar_t block[40];
    std::swprintf(block, 40, L"\\StringFileInfo\\%04x%04x\\", translations->language,
                  translations->codePage);
    std::printf("Translation 0x%04x %u\n", translations->language, translations->codePage);
    for (const wchar_t* field :
         {L"FileVersion", L"ProductName", L"ProductVersion", L"InternalName", L"OriginalFilename",
          L"CompanyName", L"FileDescription", L"LegalCopyright"}) {
        wchar_t* value = nullptr;
        if (VerQueryValueW(data.data(), (std::wstring(block) + field).c_str(),
                           reinterpret_cast<void**>(&value), &length) &&
            value)
            std::printf("%s %s\n", Narrow(field).c_str(), Quoted(Narrow(value)).c_str());
    }
    return 0;
}

// The vtable interface of the object's default dual interface.
HRESULT VtableInfo(IDispatch* object, ITypeInfo** info) {
    ComPtr<ITypeInfo> dispatch;
    HRESULT hr = object->GetTypeInfo(0, 0, dispatch.put());
    HREFTYPE ref = 0;
    if (SUCCEEDED(hr)) hr = dispatch->GetRefTypeOfImplType(static_cast<UINT>(-1), &ref);
    if (SUCCEEDED(hr)) hr = dispatch->GetRefTypeInfo(ref, info);
    return hr;
}

int CallThroughVtable(const wchar_t* progId, const wchar_t* member) {
    CLSID clsid{};
    ComPtr<IDispatch> object;
    HRESULT hr = CLSIDFromProgID(progId, &clsid);
    if (SUCCEEDED(hr))
        hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                              object.put_void());
    ComPtr<ITypeInfo> info;
    if (SUCCEEDED(hr)) hr = VtableInfo(object.get(), info.put());
    if (FAILED(hr)) {
        std::printf("create 0x%08lX\n", static_cast<unsigned long>(hr));
        return 1;
    }
    TYPEATTR* attr = nullptr;
    info->GetTypeAttr(&attr);
    const IID iid = attr->guid;
    info->ReleaseTypeAttr(attr);
    ComPtr<IUnknown> vtable;
    object->QueryInterface(iid, vtable.put_void());

    MEMBERID id = 0;
    LPOLESTR name = const_cast<LPOLESTR>(member);
    if (FAILED(info->GetIDsOfNames(&name, 1, &id))) {
        std::printf("no member %s\n", Narrow(member).c_str());
        return 1;
    }
    // The member's place in the vtable, from its description.
    ComPtr<ITypeInfo2> info2 = info.as<ITypeInfo2>();
    UINT index = 0;
    FUNCDESC* func = nullptr;
    info2->GetFuncIndexOfMemId(id, INVOKE_FUNC, &index);
    info->GetFuncDesc(index, &func);
    const short slot = func->oVft;
    info->ReleaseFuncDesc(func);

    VARIANT result;
    VariantInit(&result);
    VARIANT argument;
    VariantInit(&argument);
    V_VT(&argument) = VT_BYREF | VT_VARIANT;
    V_VARIANTREF(&argument) = &result;
    VARTYPE types[] = {VT_BYREF | VT_VARIANT};
    VARIANTARG* arguments[] = {&argument};
    VARIANT returned;
    VariantInit(&returned);
    SetErrorInfo(0, nullptr);
    hr = DispCallFunc(vtable.get(), static_cast<ULONG_PTR>(slot), CC_STDCALL, VT_ERROR, 1, types,
                      arguments, &returned);
    if (FAILED(hr)) {
        std::printf("DispCallFunc 0x%08lX\n", static_cast<unsigned long>(hr));
        return 1;
    }
    const HRESULT memberResult = V_ERROR(&returned);
    ComPtr<ISupportErrorInfo> supports = vtable.as<ISupportErrorInfo>();
    const bool supported = supports && supports->InterfaceSupportsErrorInfo(iid) == S_OK;
    ComPtr<IErrorInfo> error;
    std::printf("hr 0x%08lX supportserrorinfo %s\n", static_cast<unsigned long>(memberResult),
                supported ? "yes" : "no");
    if (GetErrorInfo(0, error.put()) == S_OK && error) {
        Bstr description, source;
        GUID guid{};
        error->GetDescription(&description.value);
        error->GetSource(&source.value);
        error->GetGUID(&guid);
        std::printf("description %s\nsource %s\nguid %s\n", Quoted(description.text()).c_str(),
                    Quoted(source.text()).c_str(), GuidText(guid).c_str());
    } else {
        std::printf("no error information\n");
    }
    VariantClear(&result);
    return 0;
}

int Lifetime(const wchar_t* path) {
    kit::UniqueLibrary dll(LoadLibraryW(path));
    if (!dll) {
        std::printf("LoadLibrary error %lu\n", GetLastError());
        return 1;
    }
    using GetClassObject = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
    using CanUnloadNow = HRESULT(STDAPICALLTYPE*)();
    auto getClassObject = reinterpret_cast<GetClassObject>(
        reinterpret_cast<void*>(GetProcAddress(dll.get(), "DllGetClassObject")));
    auto canUnloadNow = reinterpret_cast<CanUnloadNow>(
        reinterpret_cast<void*>(GetProcAddress(dll.get(), "DllCanUnloadNow")));
    ComPtr<ITypeLib> lib;
    if (!getClassObject || !canUnloadNow || FAILED(LoadTypeLibEx(path, REGKIND_NONE, lib.put()))) {
        std::printf("not a component\n");
        return 1;
    }
    CLSID clsid{};
    for (UINT i = 0; i < lib->GetTypeInfoCount(); ++i) {
        TYPEKIND kind{};
        ComPtr<ITypeInfo> info;
        TYPEATTR* attr = nullptr;
        if (SUCCEEDED(lib->GetTypeInfoType(i, &kind)) && kind == TKIND_COCLASS &&
            SUCCEEDED(lib->GetTypeInfo(i, info.put())) && SUCCEEDED(info->GetTypeAttr(&attr))) {
            clsid = attr->guid;
            info->ReleaseTypeAttr(attr);
        }
    }
    auto report = [&](const char* moment) {
        std::printf("%s %s\n", moment, canUnloadNow() == S_OK ? "S_OK" : "S_FALSE");
    };
    report("loaded");
    {
        ComPtr<IClassFactory> factory;
        HRESULT hr = getClassObject(clsid, IID_IClassFactory, factory.put_void());
        std::printf("DllGetClassObject 0x%08lX\n", static_cast<unsigned long>(hr));
        if (FAILED(hr)) return 1;
        ComPtr<IDispatch> first, second;
        factory->CreateInstance(nullptr, IID_IDispatch, first.put_void());
        factory->CreateInstance(nullptr, IID_IDispatch, second.put_void());
        factory.reset();
        report("two objects");
        first.reset();
        report("one object");
        second.reset();
        report("no object");
        getClassObject(clsid, IID_IClassFactory, factory.put_void());
        factory->LockServer(TRUE);
        factory.reset();
        // Only the lock holds the server now.
        report("locked");
        getClassObject(clsid, IID_IClassFactory, factory.put_void());
        factory->LockServer(FALSE);
        factory.reset();
        report("unlocked");
    }
    CLSID other{};
    CLSIDFromString(L"{00000000-0000-0000-0000-000000000001}", &other);
    void* none = nullptr;
    std::printf("other class 0x%08lX\n",
                static_cast<unsigned long>(getClassObject(other, IID_IClassFactory, &none)));
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc == 3 && std::wstring(argv[1]) == L"typelib") return DumpTypeLibrary(argv[2]);
    if (argc == 3 && std::wstring(argv[1]) == L"version") return DumpVersion(argv[2]);
    if ((argc == 4 && std::wstring(argv[1]) == L"call") ||
        (argc == 3 && std::wstring(argv[1]) == L"lifetime")) {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        int code = argc == 4 ? CallThroughVtable(argv[2], argv[3]) : Lifetime(argv[2]);
        CoUninitialize();
        return code;
    }
    std::fprintf(
        stderr, "usage: component_dump typelib|version|lifetime <file> | call <ProgID> <member>\n");
    return 2;
}

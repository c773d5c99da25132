// component_client PROGID PORT DBPATH [TIMES]
// Creates the object, sets Porta and DbPath, calls Scarica TIMES times (default 1), releases the
// object, then lets COM free the libraries nobody uses and prints one line:
//   UNLOADED <dll>   when the component's DLL has gone from the process, else
//   LOADED <dll>
// Wine's script hosts keep a reference to the class object they create objects with, so the
// component never unloads under them; this client releases it as a client on Windows does.
#include <windows.h>
// after windows.h
#include <oleauto.h>

#include <string>

namespace {

void Print(const std::wstring& line) {
    const std::wstring text = line + L"\n";
    const int size =
        WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, bytes.data(), size, nullptr, nullptr);
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), bytes.data(), static_cast<DWORD>(size - 1), &written,
              nullptr);
}

HRESULT Invoke(IDispatch* object, const wchar_t* name, WORD flags, VARIANT* argument) {
    DISPID id = 0;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    HRESULT hr = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(hr)) return hr;
    DISPID put = DISPID_PROPERTYPUT;
    DISPPARAMS params{argument, argument ? &put : nullptr, argument ? 1u : 0u, argument ? 1u : 0u};
    VARIANT result;
    VariantInit(&result);
    EXCEPINFO info{};
    hr = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params,
                        argument ? nullptr : &result, &info, nullptr);
    VariantClear(&result);
    SysFreeString(info.bstrDescription);
    SysFreeString(info.bstrSource);
    SysFreeString(info.bstrHelpFile);
    return hr;
}

// The DLL that serves the ProgID, from its registration.
std::wstring ServerPath(const std::wstring& progId) {
    CLSID clsid{};
    if (FAILED(CLSIDFromProgID(progId.c_str(), &clsid))) return {};
    wchar_t text[64] = {};
    StringFromGUID2(clsid, text, 64);
    wchar_t path[MAX_PATH] = {};
    DWORD size = sizeof path;
    RegGetValueW(HKEY_CLASSES_ROOT, (std::wstring(L"CLSID\\") + text + L"\\InprocServer32").c_str(),
                 nullptr, RRF_RT_REG_SZ, nullptr, path, &size);
    return path;
}

int Run(int argc, wchar_t** argv) {
    if (argc < 4) {
        Print(L"usage: component_client PROGID PORT DBPATH [TIMES]");
        return 2;
    }
    const std::wstring progId = argv[1];
    const int times = argc > 4 ? _wtoi(argv[4]) : 1;
    CLSID clsid{};
    IDispatch* object = nullptr;
    if (FAILED(CLSIDFromProgID(progId.c_str(), &clsid)) ||
        FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                                reinterpret_cast<void**>(&object)))) {
        Print(L"cannot create " + progId);
        return 1;
    }
    VARIANT port;
    V_VT(&port) = VT_I4;
    V_I4(&port) = _wtoi(argv[2]);
    VARIANT path;
    V_VT(&path) = VT_BSTR;
    V_BSTR(&path) = SysAllocString(argv[3]);
    Invoke(object, L"Porta", DISPATCH_PROPERTYPUT, &port);
    Invoke(object, L"DbPath", DISPATCH_PROPERTYPUT, &path);
    VariantClear(&path);
    for (int i = 0; i < times; ++i) Invoke(object, L"Scarica", DISPATCH_METHOD, nullptr);
    object->Release();
    const std::wstring dll = ServerPath(progId);
    CoFreeUnusedLibrariesEx(0, 0);
    Print((GetModuleHandleW(dll.c_str()) ? L"LOADED " : L"UNLOADED ") + dll);
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const int code = Run(argc, argv);
    CoUninitialize();
    return code;
}

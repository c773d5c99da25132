#include "com/class_registration.h"

namespace reader::com {

std::wstring ProgId(const ClassIdentity& identity) {
    return identity.libraryName + L"." + identity.className;
}

std::vector<RegistryValue> ClassRegistrationValues(const ClassIdentity& identity) {
    const std::wstring progId = ProgId(identity);
    const std::wstring classKey = L"CLSID\\" + identity.clsid;
    return {
        {progId, L"", progId},
        {progId + L"\\Clsid", L"", identity.clsid},
        {classKey, L"", progId},
        {classKey + L"\\InprocServer32", L"", identity.serverPath},
        // The object lives on the thread that created it (the host's user-interface thread).
        {classKey + L"\\InprocServer32", L"ThreadingModel", L"Apartment"},
        {classKey + L"\\ProgID", L"", progId},
        {classKey + L"\\TypeLib", L"", identity.libraryId},
        {classKey + L"\\VERSION", L"", identity.version},
    };
}

std::vector<std::wstring> ClassRegistrationRoots(const ClassIdentity& identity) {
    return {ProgId(identity), L"CLSID\\" + identity.clsid};
}

}  // namespace reader::com

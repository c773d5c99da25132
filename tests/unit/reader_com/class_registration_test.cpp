#include "com/class_registration.h"

#include <gtest/gtest.h>

namespace reader::com {
namespace {

ClassIdentity Identity(std::wstring libraryName, std::wstring clsid) {
    return {clsid,  L"{D69CEDEE-A48C-4A53-91C4-E156048ADAD8}", libraryName, L"Murello",
            L"1.0", L"C:\\Programmi\\Murello\\x.dll"};
}

TEST(ClassRegistration, ProgIdIsLibraryNameDotClassName) {
    struct Case {
        const wchar_t* library;
        const wchar_t* progId;
    };
    const Case cases[] = {
        {L"Murello11500", L"Murello11500.Murello"},
        {L"Murello113", L"Murello113.Murello"},
        {L"ZaradEdadod111", L"ZaradEdadod111.Murello"},
        {L"ZaradEdadod110", L"ZaradEdadod110.Murello"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.library)));
        EXPECT_EQ(ProgId(Identity(c.library, L"{X}")), c.progId);
    }
}

TEST(ClassRegistration, WritesTheClassTheServerAndBothCrossKeys) {
    const std::wstring clsid = L"{F07E557E-F941-4146-9878-047718EFDB25}";
    const std::wstring key = L"CLSID\\" + clsid;
    const std::vector<RegistryValue> expected = {
        {L"ZaradEdadod111.Murello", L"", L"ZaradEdadod111.Murello"},
        {L"ZaradEdadod111.Murello\\Clsid", L"", clsid},
        {key, L"", L"ZaradEdadod111.Murello"},
        {key + L"\\InprocServer32", L"", L"C:\\Programmi\\Murello\\x.dll"},
        {key + L"\\InprocServer32", L"ThreadingModel", L"Apartment"},
        {key + L"\\ProgID", L"", L"ZaradEdadod111.Murello"},
        {key + L"\\TypeLib", L"", L"{D69CEDEE-A48C-4A53-91C4-E156048ADAD8}"},
        {key + L"\\VERSION", L"", L"1.0"},
    };
    EXPECT_EQ(ClassRegistrationValues(Identity(L"ZaradEdadod111", clsid)), expected);
}

TEST(ClassRegistration, UnregistrationRemovesTheTwoTreesItWrote) {
    const ClassIdentity identity =
        Identity(L"Murello113", L"{9C7449B7-5EDB-4AAF-99E1-EC263B53E1BF}");
    const std::vector<std::wstring> roots = ClassRegistrationRoots(identity);
    EXPECT_EQ(roots, (std::vector<std::wstring>{L"Murello113.Murello",
                                                L"CLSID\\{9C7449B7-5EDB-4AAF-99E1-EC263B53E1BF}"}));
    // Every value written lies under one of them, so nothing is left behind.
    for (const RegistryValue& value : ClassRegistrationValues(identity)) {
        bool covered = false;
        for (const std::wstring& root : roots)
            covered |= value.key == root || value.key.starts_with(root + L"\\");
        EXPECT_TRUE(covered) << testing::PrintToString(value.key);
    }
}

}  // namespace
}  // namespace reader::com

// What only the in-memory registry can show: failures on request, keys left open, and the pure
// helpers of the registry layer.
#include <gtest/gtest.h>

#include "registry/memory_registry.h"
#include "registry/registry_access.h"

namespace lanvik {
namespace {

constexpr RootKey kHkcu = RootKey::CurrentUser;
constexpr RootKey kHklm = RootKey::LocalMachine;
constexpr RootKey kHkcr = RootKey::ClassesRoot;

TEST(StripQuotes, RemovesOneQuoteAtEachEnd) {
    struct Case {
        const char* text;
        const char* stripped;
    };
    const Case cases[] = {
        {"\"HKCU\\Software\\App\"", "HKCU\\Software\\App"},
        {"\"", ""},
        {"\"\"", ""},
        {"\"\"\"", "\""},
        {"\"open", "open"},
        {"close\"", "close"},
        {"none", "none"},
        {"", ""},
        {" \"spaced\" ", " \"spaced\" "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(c.stripped, StripQuotes(c.text));
    }
}

TEST(RootKeyName, NamesTheFourRootsOnly) {
    EXPECT_EQ("HKEY_CLASSES_ROOT", RootKeyName(RootKey::ClassesRoot));
    EXPECT_EQ("HKEY_CURRENT_USER", RootKeyName(RootKey::CurrentUser));
    EXPECT_EQ("HKEY_LOCAL_MACHINE", RootKeyName(RootKey::LocalMachine));
    EXPECT_EQ("HKEY_USERS", RootKeyName(RootKey::Users));
    EXPECT_EQ("", RootKeyName(static_cast<RootKey>(0x80000004u)));  // HKEY_PERFORMANCE_DATA
    EXPECT_EQ("", RootKeyName(static_cast<RootKey>(0)));
}

TEST(RegistryOperations, LeaveNoKeyOpenWhateverHappens) {
    MemoryRegistry registry;
    registry.PutString(kHklm, "SOFTWARE\\App", "CmdLine", "/x");
    registry.PutString(kHklm, "SOFTWARE\\App\\Run-Time Options", "TitleBar", "Title");
    registry.PutDword(kHkcu, "Software\\Level", "Level", 3);
    registry.PutKey(kHkcr, "Doomed\\A\\B");
    registry.FailOpens(kHklm, "SOFTWARE\\Locked");

    std::string text, name, title;
    std::uint32_t number = 0;
    RegistryValue value;
    ReadStringValue(registry, kHklm, "SOFTWARE\\App", "CmdLine", text);
    ReadStringValue(registry, kHkcu, "Software\\Level", "Level", text);
    ReadStringValue(registry, kHklm, "SOFTWARE\\Locked", "", text);
    ReadDwordValue(registry, kHkcu, "Software\\Level", "Level", number);
    ReadDwordValue(registry, kHklm, "SOFTWARE\\App", "CmdLine", number);
    WriteStringValue(registry, kHkcu, "Software\\New", "V", "t", kCreateKey);
    WriteStringValue(registry, kHkcu, "Software\\Missing", "V", "t", kOpenKeyOnly);
    WriteDwordValue(registry, kHkcu, "Software\\New", "N", 1);
    ReadFirstMachineValue(registry, "SOFTWARE\\App", name, value);
    ReadFirstMachineValue(registry, "SOFTWARE\\App", name, value, 1);
    ListSubkeys(registry, kHklm, "SOFTWARE");
    ReadApplicationValue(registry, "SOFTWARE\\App", "CmdLine", text, title);
    EXPECT_EQ(kSuccess, DeleteClassKeyTree(registry, "Doomed"));
    EXPECT_EQ(0, registry.openKeyCount());
}

TEST(RegistryOperations, AWriteThatFailsOrDoesNotTakeEffectLeavesTheOldValue) {
    MemoryRegistry registry;
    const char* key = "TypeLib\\{4AFFC9A0-5F99-101B-AF4E-00AA003F0F07}\\9.0\\0\\win32";
    registry.PutString(kHkcr, key, "", "C:\\OLD\\MSACC.OLB");

    registry.FailWrites(kHkcr, "TypeLib");
    EXPECT_EQ(kAccessDenied,
              WriteStringValue(registry, kHkcr, key, "", "C:\\NEW\\MSACC.OLB", kCreateKey));
    EXPECT_EQ(kAccessDenied, WriteDwordValue(registry, kHkcr, key, "Flags", 1));

    registry.ClearFailures();
    registry.FailWrites(kHkcr, key, kSuccess);
    EXPECT_EQ(kSuccess,
              WriteStringValue(registry, kHkcr, key, "", "C:\\NEW\\MSACC.OLB", kCreateKey));
    std::string text;
    EXPECT_EQ(kSuccess, ReadStringValue(registry, kHkcr, key, "", text));
    EXPECT_EQ("C:\\OLD\\MSACC.OLB", text);

    // A key whose creation does not take effect is not there afterwards.
    registry.FailWrites(kHkcu, "Software\\Ghost", kSuccess);
    EXPECT_EQ(kSuccess,
              WriteStringValue(registry, kHkcu, "Software\\Ghost\\Deeper", "V", "t", kCreateKey));
    EXPECT_FALSE(registry.HasKey(kHkcu, "Software\\Ghost"));
}

TEST(RegistryOperations, DeleteKeyTreeEndsWhenADeletionDoesNotTakeEffect) {
    MemoryRegistry registry;
    registry.PutKey(kHkcr, "Access.Application.11\\shell\\open\\ddeexec\\Topic");
    registry.PutKey(kHkcr, "Access.Application.11\\shell\\open\\ddeexec\\Application");
    registry.FailWrites(kHkcr, "Access.Application.11\\shell\\open\\ddeexec\\Application",
                        kSuccess);
    EXPECT_EQ(kAccessDenied,
              DeleteClassKeyTree(registry, "Access.Application.11\\shell\\open\\ddeexec"));
    EXPECT_EQ((std::vector<std::string>{"Application", "Topic"}),
              registry.SubkeyNames(kHkcr, "Access.Application.11\\shell\\open\\ddeexec"));

    registry.ClearFailures();
    registry.FailWrites(kHkcr, "Access.Application.11\\shell\\open\\ddeexec\\Application");
    EXPECT_EQ(kAccessDenied,
              DeleteClassKeyTree(registry, "Access.Application.11\\shell\\open\\ddeexec"));
    EXPECT_EQ(0, registry.openKeyCount());
}

TEST(RegistryOperations, DeleteKeyTreeRefusesToNameARoot) {
    MemoryRegistry registry;
    registry.PutKey(kHkcr, ".mdb");
    EXPECT_EQ(kInvalidParameter, DeleteClassKeyTree(registry, ""));
    EXPECT_EQ(kInvalidParameter, DeleteKeyTree(registry, kHkcu, "\\"));
    EXPECT_TRUE(registry.HasKey(kHkcr, ".mdb"));
}

TEST(RegistryOperations, ReadFailuresComeFromTheOpen) {
    MemoryRegistry registry;
    registry.PutString(kHklm, "SOFTWARE\\Locked", "V", "x");
    registry.FailOpens(kHklm, "SOFTWARE\\Locked", kAccessDenied);
    std::string text = "kept";
    EXPECT_EQ(kAccessDenied, ReadStringValue(registry, kHklm, "software\\locked", "V", text));
    EXPECT_EQ("kept", text);
    EXPECT_TRUE(ListSubkeys(registry, kHklm, "SOFTWARE\\Locked").empty());
}

TEST(MemoryRegistry, ClassesRootIsTheMachineClassesKey) {
    MemoryRegistry registry;
    registry.PutString(kHkcr, ".mdb", "", "Access.Application.11");
    EXPECT_EQ(std::string("Access.Application.11\0", 22),
              registry.Get(kHklm, "Software\\Classes\\.MDB", "")->bytes);
}

TEST(MemoryRegistry, ValuesKeepTheOrderOfTheirFirstWrite) {
    MemoryRegistry registry;
    for (const char* name : {"Zeta", "alpha", "Mid"}) registry.PutString(kHklm, "K", name, "x");
    registry.PutString(kHklm, "K", "ZETA", "y");
    EXPECT_EQ((std::vector<std::string>{"Zeta", "alpha", "Mid"}), registry.ValueNames(kHklm, "K"));
}

}  // namespace
}  // namespace lanvik

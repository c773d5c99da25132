// One suite, two registries: natively it runs against the in-memory registry, in the Windows
// build against the real one. Both must give the same answers.
//
// Wine keeps a key's values sorted by name, where Windows keeps them in the order they were first
// written (as the in-memory registry does); the cases below write values in name order so that
// both agree.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "contract_registry.h"
#include "registry/registry_access.h"

namespace lanvik {
namespace {

constexpr const char* kUserScratch = "Software\\LanvikContract";
constexpr const char* kMachineScratch = "Software\\LanvikContract";
constexpr const char* kClassScratch = "LanvikContract.Scratch";

std::string Bytes(const char* text, std::size_t size) { return std::string(text, size); }

std::string DwordBytes(std::uint32_t number) {
    std::string bytes(4, '\0');
    for (int i = 0; i < 4; ++i) bytes[i] = static_cast<char>((number >> (8 * i)) & 0xFF);
    return bytes;
}

class RegistryContract : public ::testing::Test {
  protected:
    void SetUp() override {
        registry_ = MakeContractRegistry();
        RemoveScratch();
    }
    void TearDown() override {
        RemoveScratch();
        std::unique_ptr<RegistryKey> key;
        EXPECT_EQ(kFileNotFound,
                  registry_->OpenKey(RootKey::CurrentUser, kUserScratch, kKeyRead, key));
        EXPECT_EQ(kFileNotFound,
                  registry_->OpenKey(RootKey::LocalMachine, kMachineScratch, kKeyRead, key));
        EXPECT_EQ(kFileNotFound,
                  registry_->OpenKey(RootKey::ClassesRoot, kClassScratch, kKeyRead, key));
    }
    void RemoveScratch() {
        DeleteKeyTree(*registry_, RootKey::CurrentUser, kUserScratch);
        DeleteKeyTree(*registry_, RootKey::LocalMachine, kMachineScratch);
        DeleteClassKeyTree(*registry_, kClassScratch);
    }

    // Writes one raw value, creating the key.
    void Put(RootKey root, const std::string& path, const std::string& name, std::uint32_t type,
             const std::string& bytes) {
        std::unique_ptr<RegistryKey> key;
        ASSERT_EQ(kSuccess, registry_->CreateKey(root, path, kKeyReadWrite, key));
        ASSERT_EQ(kSuccess, key->SetValue(name, type, bytes));
    }
    // The raw value, or a value of type 0xFFFF with the status in its bytes when it cannot be
    // read.
    RegistryValue Raw(RootKey root, const std::string& path, const std::string& name) {
        std::unique_ptr<RegistryKey> key;
        Status status = registry_->OpenKey(root, path, kKeyRead, key);
        RegistryValue value;
        if (status == kSuccess) status = key->QueryValue(name, 65536, value);
        if (status != kSuccess) return RegistryValue{0xFFFF, std::to_string(status)};
        return value;
    }
    bool KeyExists(RootKey root, const std::string& path) {
        std::unique_ptr<RegistryKey> key;
        return registry_->OpenKey(root, path, kKeyRead, key) == kSuccess;
    }

    std::unique_ptr<Registry> registry_;
};

TEST_F(RegistryContract, ReadStringValueAcceptsOnlyTerminatedStrings) {
    struct Case {
        const char* name;
        std::uint32_t type;
        std::string stored;
        Status status;
        std::string text;  // "(kept)" when the out text must keep its previous content
    };
    const std::string longest(4095, 'x');
    const std::string tooLong(4096, 'y');
    const Case cases[] = {
        {"Plain", kRegSz, Bytes("C:\\Office\0", 10), kSuccess, "C:\\Office"},
        {"Expandable", kRegExpandSz, Bytes("%ProgramFiles%\\x\0", 17), kSuccess,
         "%ProgramFiles%\\x"},
        {"Empty", kRegSz, "", kSuccess, ""},
        {"NulOnly", kRegSz, Bytes("\0", 1), kSuccess, ""},
        {"Unterminated", kRegSz, "abc", kInvalidData, "(kept)"},
        {"Number", kRegDword, DwordBytes(7), kInvalidData, "(kept)"},
        {"Binary", kRegBinary, Bytes("ab\0", 3), kInvalidData, "(kept)"},
        {"Multi", kRegMultiSz, Bytes("a\0b\0\0", 5), kInvalidData, "(kept)"},
        {"Longest", kRegSz, longest + '\0', kSuccess, longest},
        {"TooLong", kRegSz, tooLong + '\0', kMoreData, "(kept)"},
    };
    for (const Case& c : cases) Put(RootKey::CurrentUser, kUserScratch, c.name, c.type, c.stored);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string text = "(kept)";
        EXPECT_EQ(c.status,
                  ReadStringValue(*registry_, RootKey::CurrentUser, kUserScratch, c.name, text));
        EXPECT_EQ(c.text, text);
    }
    std::string text = "(kept)";
    EXPECT_EQ(kFileNotFound,
              ReadStringValue(*registry_, RootKey::CurrentUser, kUserScratch, "Missing", text));
    EXPECT_EQ(kFileNotFound, ReadStringValue(*registry_, RootKey::CurrentUser,
                                             "Software\\LanvikContract\\Missing", "", text));
    EXPECT_EQ("(kept)", text);
}

TEST_F(RegistryContract, ReadDwordValueAcceptsOnlyNumbers) {
    struct Case {
        const char* name;
        std::uint32_t type;
        std::string stored;
        Status status;
        std::uint32_t number;  // 99 when it must be kept
    };
    const Case cases[] = {
        {"Number", kRegDword, DwordBytes(0x12345678), kSuccess, 0x12345678},
        {"Largest", kRegDword, DwordBytes(0xFFFFFFFF), kSuccess, 0xFFFFFFFF},
        {"Zero", kRegDword, DwordBytes(0), kSuccess, 0},
        {"ShortText", kRegSz, Bytes("abc\0", 4), kInvalidData, 99},
        {"LongText", kRegSz, Bytes("Access.Application.11\0", 22), kMoreData, 99},
        {"Binary", kRegBinary, Bytes("\1\0\0\0", 4), kInvalidData, 99},
    };
    for (const Case& c : cases) Put(RootKey::CurrentUser, kUserScratch, c.name, c.type, c.stored);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::uint32_t number = 99;
        EXPECT_EQ(c.status,
                  ReadDwordValue(*registry_, RootKey::CurrentUser, kUserScratch, c.name, number));
        EXPECT_EQ(c.number, number);
    }
    std::uint32_t number = 99;
    EXPECT_EQ(kFileNotFound,
              ReadDwordValue(*registry_, RootKey::CurrentUser, kUserScratch, "Missing", number));
    EXPECT_EQ(99u, number);
}

TEST_F(RegistryContract, WriteStringValueCreatesTheKeyOnlyWithTheCreateFlag) {
    const std::string nested = std::string(kUserScratch) + "\\One\\Two";
    EXPECT_EQ(kFileNotFound, WriteStringValue(*registry_, RootKey::CurrentUser, nested, "Name",
                                              "text", kOpenKeyOnly));
    EXPECT_EQ(kFileNotFound,
              WriteStringValue(*registry_, RootKey::CurrentUser, nested, "Name", "text", 2));
    EXPECT_FALSE(KeyExists(RootKey::CurrentUser, kUserScratch));

    EXPECT_EQ(kSuccess, WriteStringValue(*registry_, RootKey::CurrentUser, nested, "Name",
                                         "C:\\Program Files", kCreateKey));
    RegistryValue stored = Raw(RootKey::CurrentUser, nested, "Name");
    EXPECT_EQ(kRegSz, stored.type);
    EXPECT_EQ(Bytes("C:\\Program Files\0", 17), stored.bytes);

    // An existing key is opened without the flag; the empty text is one NUL.
    EXPECT_EQ(kSuccess,
              WriteStringValue(*registry_, RootKey::CurrentUser, nested, "", "", kOpenKeyOnly));
    EXPECT_EQ(Bytes("\0", 1), Raw(RootKey::CurrentUser, nested, "").bytes);

    // A string replaces a number of the same name, and the reverse.
    EXPECT_EQ(kSuccess, WriteDwordValue(*registry_, RootKey::CurrentUser, nested, "Name", 5));
    EXPECT_EQ(kRegDword, Raw(RootKey::CurrentUser, nested, "Name").type);
    EXPECT_EQ(kSuccess,
              WriteStringValue(*registry_, RootKey::CurrentUser, nested, "Name", "No", kCreateKey));
    EXPECT_EQ(kRegSz, Raw(RootKey::CurrentUser, nested, "Name").type);
}

// An expandable string is written back as one, unexpanded, and read back with its type.
TEST_F(RegistryContract, ExpandableStringsKeepTheirTypeBothWays) {
    const std::string nested = std::string(kUserScratch) + "\\Server";
    EXPECT_EQ(kSuccess, WriteExpandStringValue(*registry_, RootKey::CurrentUser, nested, "",
                                               "%CommonProgramFiles%\\x.dll"));
    RegistryValue stored = Raw(RootKey::CurrentUser, nested, "");
    EXPECT_EQ(kRegExpandSz, stored.type);
    EXPECT_EQ(Bytes("%CommonProgramFiles%\\x.dll\0", 27), stored.bytes);

    std::string text = "(kept)";
    std::uint32_t type = 99;
    EXPECT_EQ(kSuccess, ReadStringValue(*registry_, RootKey::CurrentUser, nested, "", text, type));
    EXPECT_EQ("%CommonProgramFiles%\\x.dll", text);
    EXPECT_EQ(kRegExpandSz, type);
    ASSERT_EQ(kSuccess,
              WriteStringValue(*registry_, RootKey::CurrentUser, nested, "", "plain", kCreateKey));
    EXPECT_EQ(kSuccess, ReadStringValue(*registry_, RootKey::CurrentUser, nested, "", text, type));
    EXPECT_EQ(kRegSz, type);
    ASSERT_EQ(kSuccess, WriteDwordValue(*registry_, RootKey::CurrentUser, nested, "", 7));
    EXPECT_EQ(kInvalidData,
              ReadStringValue(*registry_, RootKey::CurrentUser, nested, "", text, type));
    EXPECT_EQ("plain", text);
    EXPECT_EQ(kRegSz, type) << "kept on failure";
}

TEST_F(RegistryContract, NullTextCreatesOrOpensTheKeyAndWritesNothing) {
    const std::string path = std::string(kUserScratch) + "\\Flags";
    EXPECT_EQ(kFileNotFound, WriteStringValue(*registry_, RootKey::CurrentUser, path, "",
                                              std::nullopt, kOpenKeyOnly));
    EXPECT_FALSE(KeyExists(RootKey::CurrentUser, path));
    EXPECT_EQ(kSuccess, WriteStringValue(*registry_, RootKey::CurrentUser, path, "", std::nullopt,
                                         kCreateKey));
    EXPECT_TRUE(KeyExists(RootKey::CurrentUser, path));
    EXPECT_EQ(0xFFFFu, Raw(RootKey::CurrentUser, path, "").type);
    EXPECT_EQ("2", Raw(RootKey::CurrentUser, path, "").bytes);
}

TEST_F(RegistryContract, WriteDwordValueCreatesTheKeyAndStoresFourBytes) {
    const std::string path = std::string(kUserScratch) + "\\Office\\Security";
    EXPECT_EQ(kSuccess,
              WriteDwordValue(*registry_, RootKey::CurrentUser, path, "Level", 0x01020304));
    RegistryValue stored = Raw(RootKey::CurrentUser, path, "Level");
    EXPECT_EQ(kRegDword, stored.type);
    EXPECT_EQ(DwordBytes(0x01020304), stored.bytes);
    std::uint32_t level = 0;
    EXPECT_EQ(kSuccess, ReadDwordValue(*registry_, RootKey::CurrentUser, path, "Level", level));
    EXPECT_EQ(0x01020304u, level);
}

TEST_F(RegistryContract, NamesAreComparedWithoutRegardToCaseAndKeepTheirFirstSpelling) {
    EXPECT_EQ(kSuccess, WriteStringValue(*registry_, RootKey::CurrentUser,
                                         std::string(kUserScratch) + "\\MixedCase", "ValueName",
                                         "first", kCreateKey));
    std::string text;
    EXPECT_EQ(kSuccess, ReadStringValue(*registry_, RootKey::CurrentUser,
                                        "SOFTWARE\\LANVIKCONTRACT\\mixedcase", "valuename", text));
    EXPECT_EQ("first", text);
    EXPECT_EQ(kSuccess, WriteStringValue(*registry_, RootKey::CurrentUser,
                                         "software\\lanvikcontract\\MIXEDCASE", "VALUENAME",
                                         "second", kCreateKey));
    EXPECT_EQ(std::vector<std::string>{"MixedCase"},
              ListSubkeys(*registry_, RootKey::CurrentUser, kUserScratch));

    std::unique_ptr<RegistryKey> key;
    ASSERT_EQ(kSuccess,
              registry_->OpenKey(RootKey::CurrentUser, std::string(kUserScratch) + "\\MixedCase",
                                 kKeyRead, key));
    std::string name;
    RegistryValue value;
    ASSERT_EQ(kSuccess, key->EnumValue(0, 256, 256, name, value));
    EXPECT_EQ("ValueName", name);
    EXPECT_EQ(Bytes("second\0", 7), value.bytes);
    EXPECT_EQ(kNoMoreItems, key->EnumValue(1, 256, 256, name, value));
}

TEST_F(RegistryContract, TheDefaultValueIsTheValueWithTheEmptyName) {
    const std::string path = std::string(kClassScratch) + "\\CurVer";
    EXPECT_EQ(kSuccess, WriteStringValue(*registry_, RootKey::ClassesRoot, path, "",
                                         "Access.Application.11", kCreateKey));
    EXPECT_EQ(kSuccess, WriteStringValue(*registry_, RootKey::ClassesRoot, path, "Default", "named",
                                         kCreateKey));
    std::string text;
    EXPECT_EQ(kSuccess, ReadStringValue(*registry_, RootKey::ClassesRoot, path, "", text));
    EXPECT_EQ("Access.Application.11", text);

    // A default value that is a number is not a string, and the out text keeps its content.
    EXPECT_EQ(kSuccess, WriteDwordValue(*registry_, RootKey::ClassesRoot, path, "", 11));
    text = "old";
    EXPECT_EQ(kInvalidData, ReadStringValue(*registry_, RootKey::ClassesRoot, path, "", text));
    EXPECT_EQ("old", text);

    std::string name = "(kept)";
    RegistryValue first;
    Put(RootKey::LocalMachine, kMachineScratch, "", kRegSz, Bytes("default\0", 8));
    EXPECT_EQ(kSuccess, ReadFirstMachineValue(*registry_, kMachineScratch, name, first));
    EXPECT_EQ("", name);
    EXPECT_EQ(Bytes("default\0", 8), first.bytes);
}

TEST_F(RegistryContract, SubkeysAreEnumeratedInNameOrderWithoutRegardToCase) {
    for (const char* name : {"gamma", "Beta", "delta1", "alpha", "Delta0", "b"})
        ASSERT_EQ(kSuccess, WriteDwordValue(*registry_, RootKey::CurrentUser,
                                            std::string(kUserScratch) + "\\" + name, "N", 1));
    EXPECT_EQ((std::vector<std::string>{"alpha", "b", "Beta", "Delta0", "delta1", "gamma"}),
              ListSubkeys(*registry_, RootKey::CurrentUser, kUserScratch));
    EXPECT_TRUE(ListSubkeys(*registry_, RootKey::CurrentUser, std::string(kUserScratch) + "\\alpha")
                    .empty());
    EXPECT_TRUE(
        ListSubkeys(*registry_, RootKey::CurrentUser, std::string(kUserScratch) + "\\Missing")
            .empty());
}

TEST_F(RegistryContract, ReadFirstMachineValueGivesTheValueAtIndexZero) {
    const std::string component = std::string(kMachineScratch) + "\\Components\\8F28";
    Put(RootKey::LocalMachine, component, "00000000000000000000000000000000", kRegSz,
        Bytes("C?\\Office\\MSACCESS.EXE\0", 23));
    Put(RootKey::LocalMachine, component, "9040C10900063D11C8EF10054038389C", kRegDword,
        DwordBytes(3));
    std::string name = "(kept)";
    RegistryValue value;
    EXPECT_EQ(kSuccess, ReadFirstMachineValue(*registry_, component, name, value));
    EXPECT_EQ("00000000000000000000000000000000", name);
    EXPECT_EQ(kRegSz, value.type);
    EXPECT_EQ(Bytes("C?\\Office\\MSACCESS.EXE\0", 23), value.bytes);

    // Failures leave the name alone: a data buffer too small, a key without values, no key.
    name = "(kept)";
    EXPECT_EQ(kMoreData, ReadFirstMachineValue(*registry_, component, name, value, 8));
    EXPECT_EQ("(kept)", name);
    const std::string empty = std::string(kMachineScratch) + "\\Components\\Empty";
    ASSERT_EQ(kSuccess, WriteStringValue(*registry_, RootKey::LocalMachine, empty, "", std::nullopt,
                                         kCreateKey));
    EXPECT_EQ(kNoMoreItems, ReadFirstMachineValue(*registry_, empty, name, value));
    EXPECT_EQ(
        kFileNotFound,
        ReadFirstMachineValue(*registry_, std::string(kMachineScratch) + "\\Missing", name, value));
    EXPECT_EQ("(kept)", name);
}

TEST_F(RegistryContract, DeleteClassKeyTreeRemovesTheWholeTreeAndNothingElse) {
    const std::string root = std::string(kClassScratch) + "\\shell\\open";
    for (const char* path : {"\\ddeexec", "\\ddeexec\\Application", "\\ddeexec\\Topic",
                             "\\ddeexec\\Topic\\Deeper", "\\command"})
        ASSERT_EQ(kSuccess, WriteStringValue(*registry_, RootKey::ClassesRoot, root + path, "", "x",
                                             kCreateKey));
    for (int i = 0; i < 12; ++i)
        ASSERT_EQ(kSuccess, WriteDwordValue(*registry_, RootKey::ClassesRoot,
                                            root + "\\ddeexec\\Many\\Child" + std::to_string(i),
                                            "N", static_cast<std::uint32_t>(i)));

    // A key that still has subkeys cannot be deleted by itself.
    EXPECT_EQ(kAccessDenied, registry_->DeleteKey(RootKey::ClassesRoot, root + "\\ddeexec"));
    EXPECT_TRUE(KeyExists(RootKey::ClassesRoot, root + "\\ddeexec\\Topic\\Deeper"));

    EXPECT_EQ(kSuccess, DeleteClassKeyTree(*registry_, root + "\\ddeexec"));
    EXPECT_FALSE(KeyExists(RootKey::ClassesRoot, root + "\\ddeexec"));
    EXPECT_TRUE(KeyExists(RootKey::ClassesRoot, root + "\\command"));
    EXPECT_EQ(std::vector<std::string>{"command"},
              ListSubkeys(*registry_, RootKey::ClassesRoot, root));
    EXPECT_EQ(kFileNotFound, DeleteClassKeyTree(*registry_, root + "\\ddeexec"));
}

TEST_F(RegistryContract, RawKeysReportTheirStatuses) {
    Put(RootKey::CurrentUser, kUserScratch, "Text", kRegSz, Bytes("0123456789\0", 11));
    Put(RootKey::CurrentUser, std::string(kUserScratch) + "\\LongerName", "", kRegSz,
        Bytes("x\0", 2));

    std::unique_ptr<RegistryKey> key;
    ASSERT_EQ(kSuccess, registry_->OpenKey(RootKey::CurrentUser, kUserScratch, kKeyRead, key));
    // A key opened for reading cannot be written.
    EXPECT_EQ(kAccessDenied, key->SetValue("Other", kRegSz, Bytes("y\0", 2)));

    RegistryValue value;
    EXPECT_EQ(kMoreData, key->QueryValue("Text", 4, value));
    EXPECT_EQ(kRegSz, value.type);
    EXPECT_EQ(kSuccess, key->QueryValue("Text", 11, value));
    EXPECT_EQ(Bytes("0123456789\0", 11), value.bytes);
    EXPECT_EQ(kFileNotFound, key->QueryValue("Missing", 100, value));

    std::string name;
    EXPECT_EQ(kMoreData, key->EnumKey(0, 4, name));
    EXPECT_EQ(kSuccess, key->EnumKey(0, 11, name));
    EXPECT_EQ("LongerName", name);
    EXPECT_EQ(kNoMoreItems, key->EnumKey(1, 256, name));
    EXPECT_EQ(kNoMoreItems, key->EnumValue(1, 256, 256, name, value));

    std::unique_ptr<RegistryKey> writable;
    ASSERT_EQ(kSuccess,
              registry_->OpenKey(RootKey::CurrentUser, kUserScratch, kKeyReadWrite, writable));
    EXPECT_EQ(kSuccess, writable->DeleteValue("Text"));
    EXPECT_EQ(kFileNotFound, writable->DeleteValue("Text"));
    EXPECT_EQ(kFileNotFound,
              registry_->DeleteKey(RootKey::CurrentUser, std::string(kUserScratch) + "\\None"));
    EXPECT_EQ(kFileNotFound,
              registry_->OpenKey(RootKey::CurrentUser, std::string(kUserScratch) + "\\None\\Deeper",
                                 kKeyRead, key));
}

TEST_F(RegistryContract, ReadApplicationValueTakesTheRootFromThePrefixButTheTitleFromTheMachine) {
    const std::string app = std::string(kUserScratch) + "\\App";
    Put(RootKey::CurrentUser, app, "CmdLine", kRegSz, Bytes("/user\0", 6));
    Put(RootKey::CurrentUser, app + "\\Run-Time Options", "TitleBar", kRegSz,
        Bytes("User Title\0", 11));
    Put(RootKey::LocalMachine, app, "CmdLine", kRegSz, Bytes("/machine\0", 9));
    Put(RootKey::LocalMachine, app, "Other", kRegSz, Bytes("/other\0", 7));
    Put(RootKey::LocalMachine, app + "\\Run-Time Options", "TitleBar", kRegSz,
        Bytes("Machine Title\0", 14));

    struct Case {
        std::string key;
        const char* valueName;
        Status status;
        const char* value;
        const char* title;
    };
    const Case cases[] = {
        {"HKCU\\" + app, "CmdLine", kSuccess, "/user", "Machine Title"},
        {"\"HKCU\\" + app + "\"", "\"CmdLine\"", kSuccess, "/user", "Machine Title"},
        {"HKLM\\" + app, "CmdLine", kSuccess, "/machine", "Machine Title"},
        {app, "CmdLine", kSuccess, "/machine", "Machine Title"},
        {app, "Other", kSuccess, "/other", "Machine Title"},
        {"hkcu\\" + app, "CmdLine", kFileNotFound, "(kept)", "(kept)"},
        {"HKCU\\" + app, "Missing", kFileNotFound, "(kept)", "(kept)"},
        {"", "CmdLine", kFileNotFound, "(kept)", "(kept)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key + " / " + c.valueName);
        std::string value = "(kept)";
        std::string title = "(kept)";
        EXPECT_EQ(c.status, ReadApplicationValue(*registry_, c.key, c.valueName, value, title));
        EXPECT_EQ(c.value, value);
        EXPECT_EQ(c.title, title);
    }

    // Without a title the value is still read, and the title is left alone.
    const std::string bare = std::string(kMachineScratch) + "\\Bare";
    Put(RootKey::LocalMachine, bare, "CmdLine", kRegSz, Bytes("/bare\0", 6));
    std::string value;
    std::string title = "(kept)";
    EXPECT_EQ(kSuccess, ReadApplicationValue(*registry_, "HKLM\\" + bare, "CmdLine", value, title));
    EXPECT_EQ("/bare", value);
    EXPECT_EQ("(kept)", title);
}

}  // namespace
}  // namespace lanvik

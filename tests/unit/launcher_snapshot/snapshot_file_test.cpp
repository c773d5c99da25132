// The snapshot file's pieces: lines, fields, the parser and the cipher set-up.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "registry/registry_snapshot.h"

namespace lanvik {
namespace {

std::string Hex(const std::string& bytes) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string hex;
    for (unsigned char b : bytes) {
        hex += kDigits[b >> 4];
        hex += kDigits[b & 0xF];
    }
    return hex;
}

RegistryValueEntry Entry(RootKey root, std::string keyPath, std::string valueName) {
    RegistryValueEntry entry;
    entry.root = root;
    entry.keyPath = std::move(keyPath);
    entry.valueName = std::move(valueName);
    return entry;
}

const std::string kOfficeLine =
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Office\\Common\tLastAccessInstall=REG_DWORD\t11";

TEST(SnapshotEntry, PathsAndLinesNameRootKeyAndValue) {
    auto version = Entry(RootKey::ClassesRoot,
                         "Interface\\{618736E0-3C3D-11CF-810C-00AA00389B71}\\TypeLib", "Version");
    EXPECT_EQ(
        EntryPath(version),
        "HKEY_CLASSES_ROOT\\Interface\\{618736E0-3C3D-11CF-810C-00AA00389B71}\\TypeLib\\Version");
    EXPECT_FALSE(EntryLine(version)) << "not present";
    version.present = true;
    version.type = 1;
    version.text = "2.1";
    EXPECT_EQ(*EntryLine(version),
              "HKEY_CLASSES_ROOT\\Interface\\{618736E0-3C3D-11CF-810C-00AA00389B71}\\TypeLib\t"
              "Version=REG_SZ\t2.1");

    auto curVer = Entry(RootKey::ClassesRoot, "Access.Application\\CurVer", "");
    EXPECT_EQ(EntryPath(curVer), "HKEY_CLASSES_ROOT\\Access.Application\\CurVer");
    curVer.present = true;
    curVer.type = 1;
    EXPECT_EQ(*EntryLine(curVer), "HKEY_CLASSES_ROOT\\Access.Application\\CurVer\t=REG_SZ\t");

    // An expandable string names its own type, so that it comes back expandable.
    auto icon = Entry(RootKey::ClassesRoot, "Access.Shortcut.Form.1\\DefaultIcon", "");
    icon.present = true;
    icon.type = 2;
    icon.text = "%ProgramFiles%\\a.exe,1";
    const auto iconLine = EntryLine(icon);
    ASSERT_TRUE(iconLine);
    EXPECT_EQ(*iconLine,
              "HKEY_CLASSES_ROOT\\Access.Shortcut.Form.1\\DefaultIcon\t=REG_EXPAND_SZ\t"
              "%ProgramFiles%\\a.exe,1");

    auto office =
        Entry(RootKey::LocalMachine, "SOFTWARE\\Microsoft\\Office\\Common", "LastAccessInstall");
    office.present = true;
    office.type = 4;
    office.number = 11;
    EXPECT_EQ(*EntryLine(office), kOfficeLine);
    office.number = 4294967295u;
    EXPECT_EQ(EntryLine(office)->substr(kOfficeLine.size() - 2), "4294967295");

    // A line cannot carry a line feed or a NUL: such a value stays out of the file.
    curVer.text = "two\nlines";
    EXPECT_FALSE(EntryLine(curVer));
    curVer.text = std::string("nul\0inside", 10);
    EXPECT_FALSE(EntryLine(curVer));
}

TEST(SnapshotEntry, TakesValuesFromTypeWordAndText) {
    struct Case {
        const char* typeWord;
        const char* text;
        bool present;
        std::uint32_t type;
        std::uint32_t number;
        const char* stored;
    };
    const Case cases[] = {
        {"REG_SZ", "Access.Application.11", true, 1, 0, "Access.Application.11"},
        {"REG_SZ", "", true, 1, 0, ""},
        {"REG_DWORD", "11", true, 4, 11, ""},
        {"REG_DWORD", "4294967295", true, 4, 4294967295u, ""},
        {"REG_DWORD", "4294967296", false, 0, 0, ""},
        {"REG_DWORD", "eleven", false, 0, 0, ""},
        {"REG_DWORD", "", false, 0, 0, ""},
        {"REG_DWORD", "-1", false, 0, 0, ""},
        {"REG_EXPAND_SZ", "%TEMP%\\x", true, 2, 0, "%TEMP%\\x"},
        {"REG_EXPAND_SZ", "", true, 2, 0, ""},
        {"reg_expand_sz", "x", false, 0, 0, ""},
        {"reg_sz", "x", false, 0, 0, ""},
        {"REG_SZ ", "x", false, 0, 0, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.typeWord) + " " + c.text);
        auto entry = Entry(RootKey::ClassesRoot, ".mdb", "");
        SetEntryFromText(entry, c.typeWord, c.text);
        EXPECT_EQ(entry.present, c.present);
        EXPECT_EQ(entry.type, c.type);
        EXPECT_EQ(entry.number, c.number);
        EXPECT_EQ(entry.text, c.stored);
    }
}

TEST(SplitFields, GivesRunsOfNonDelimitersWithoutTrailingSpaces) {
    struct Case {
        const char* text;
        const char* delimiters;
        std::vector<std::string> fields;
    };
    const Case cases[] = {
        {"", "=\t", {}},
        {"=\t=", "=\t", {}},
        {"path\t=REG_SZ\tvalue", "=\t", {"path", "REG_SZ", "value"}},
        {"path\tname=REG_DWORD\t11", "=\t", {"path", "name", "REG_DWORD", "11"}},
        {"\t\tleading and trailing==", "=\t", {"leading and trailing"}},
        {"value  \t  lead", "=\t", {"value", "  lead"}},
        {"a\n\nb  \n", "\n", {"a", "b"}},
        {"   \tx", "\t", {"", "x"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(SplitFields(c.text, c.delimiters), c.fields);
    }
}

// Every line the writer produces comes back whole, including the values that contain "=" or a
// tab, that are empty or that end in spaces.
TEST(SnapshotLineParser, TakesTheValueTextAsEverythingAfterTheTypeTab) {
    struct Case {
        std::string line;
        bool parsed;
        std::string path;
        std::string typeWord;
        std::string value;
    };
    const Case cases[] = {
        {"HKEY_CLASSES_ROOT\\.mdb\t=REG_SZ\tAccess.Application.11", true, "HKEY_CLASSES_ROOT\\.mdb",
         "REG_SZ", "Access.Application.11"},
        {kOfficeLine, true,
         "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Office\\Common\\LastAccessInstall", "REG_DWORD",
         "11"},
        {"HKEY_CLASSES_ROOT\\.mdb\t=REG_SZ\t", true, "HKEY_CLASSES_ROOT\\.mdb", "REG_SZ", ""},
        {"HKEY_CLASSES_ROOT\\x\\command\tcommand=REG_SZ\ta=b==c", true,
         "HKEY_CLASSES_ROOT\\x\\command\\command", "REG_SZ", "a=b==c"},
        {"HKEY_CLASSES_ROOT\\x\t=REG_SZ\ttab\there\t", true, "HKEY_CLASSES_ROOT\\x", "REG_SZ",
         "tab\there\t"},
        {"HKEY_CLASSES_ROOT\\x\t=REG_SZ\ttrailing  ", true, "HKEY_CLASSES_ROOT\\x", "REG_SZ",
         "trailing  "},
        {"HKEY_CLASSES_ROOT\\x\t=REG_SZ\t  ", true, "HKEY_CLASSES_ROOT\\x", "REG_SZ", "  "},
        {"HKEY_CLASSES_ROOT\\.mar  \t=REG_SZ\tx", true, "HKEY_CLASSES_ROOT\\.mar", "REG_SZ", "x"},
        {"HKEY_CLASSES_ROOT\\x \tname=REG_SZ\tv ", true, "HKEY_CLASSES_ROOT\\x\\name", "REG_SZ",
         "v "},
        {"", false, "", "", ""},
        {"no tab at all=REG_SZ", false, "", "", ""},
        {"HKEY_CLASSES_ROOT\\x\tno equals sign", false, "", "", ""},
        {"HKEY_CLASSES_ROOT\\x\t=REG_SZ but no second tab", false, "", "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        auto parsed = ParseSnapshotLine(c.line);
        ASSERT_EQ(parsed.has_value(), c.parsed);
        if (!parsed) continue;
        EXPECT_EQ(parsed->path, c.path);
        EXPECT_EQ(parsed->typeWord, c.typeWord);
        EXPECT_EQ(parsed->valueText, c.value);
    }
}

// The expected bytes come from an independent Blowfish (OpenSSL's bf-ecb and bf-cbc): the
// stored chaining block read as two little-endian halves, encrypted once with the key, then CBC
// over big-endian halves.
TEST(SnapshotCipher, SealsWithTheFixedKeyChainAndPadding) {
    const std::string plain = kOfficeLine + "\n";  // 83 bytes: five 0xFF bytes of padding
    const std::string sealed = SealSnapshotText(plain);
    EXPECT_EQ(Hex(sealed),
              "8546F6D5F4917E759E8A5AD6FAC4DB5E45954D7732FB693CCD1DBE50B405C32378948B981C848F08"
              "56FE89D9B51168C1B8A14B5859A0C0A31B1E3C342A97A474282E8EA43ECBB9D4CCF8127B85021E9A"
              "C91F3AB788DE917B");
    EXPECT_EQ(OpenSnapshotBytes(sealed), plain);

    // Whole blocks get no padding.
    EXPECT_EQ(Hex(SealSnapshotText("0123456789ABCDEF")), "8ABDA7EE08D4A47CD70AE699C38A6F16");
    EXPECT_EQ(SealSnapshotText(""), "");
    EXPECT_EQ(OpenSnapshotBytes(""), "");
}

TEST(SnapshotCipher, PadsToWholeBlocksAndStripsThePaddingAgain) {
    for (std::size_t length : {1u, 7u, 8u, 9u, 15u, 16u, 17u}) {
        SCOPED_TRACE(length);
        std::string plain(length, 'x');
        std::string sealed = SealSnapshotText(plain);
        EXPECT_EQ(sealed.size(), (length + 7) / 8 * 8);
        EXPECT_EQ(sealed.find("xxxxxxxx"), std::string::npos) << "nothing but ciphertext";
        EXPECT_EQ(OpenSnapshotBytes(sealed), plain);
    }
}

TEST(SnapshotCipher, ReadsFilesThatAreNotWholeBlocksAsTheyAre) {
    EXPECT_EQ(OpenSnapshotBytes("plain text\xFF\xFF"), "plain text");
    EXPECT_EQ(OpenSnapshotBytes(std::string("cut\0here", 8) + "!"), "cut");
    EXPECT_EQ(OpenSnapshotBytes("\xFF\xFF\xFF"), "");
}

}  // namespace
}  // namespace lanvik

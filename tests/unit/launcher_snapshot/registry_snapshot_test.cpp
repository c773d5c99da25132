// The snapshot against the in-memory registry, system and files: capture and restore in one run,
// and through the encrypted file between two runs.
#include <gtest/gtest.h>

#include <string>

#include "core/memory_files.h"
#include "registry/memory_registry.h"
#include "registry/memory_system.h"
#include "registry/registry_access.h"
#include "registry/registry_snapshot.h"

namespace lanvik {
namespace {

constexpr RootKey kHkcr = RootKey::ClassesRoot;
constexpr RootKey kHklm = RootKey::LocalMachine;
const char kOfficeKey[] = "SOFTWARE\\Microsoft\\Office\\Common";
const char kFile[] = "C:\\Users\\user\\AppData\\Local\\Temp\\~QDReg.dat";

class SnapshotTest : public ::testing::Test {
  protected:
    RegistrySnapshot NewSnapshot(bool fileMode) {
        RegistrySnapshot snapshot(registry, system, files);
        snapshot.fileMode = fileMode;
        snapshot.BuildDefaultList();
        return snapshot;
    }

    // The value as the registry holds it: "type:text" with the string's NUL removed.
    std::string Read(RootKey root, const std::string& key, const std::string& name) {
        auto value = registry.Get(root, key, name);
        if (!value) return "missing";
        std::string bytes = value->bytes;
        if (value->type == kRegDword) {
            std::uint32_t number = 0;
            ReadDwordValue(registry, root, key, name, number);
            return "4:" + std::to_string(number);
        }
        if (!bytes.empty() && bytes.back() == '\0') bytes.pop_back();
        return std::to_string(value->type) + ":" + bytes;
    }

    MemoryRegistry registry;
    MemorySystem system;
    MemoryFiles files;
};

TEST_F(SnapshotTest, BuildsTheFixedListWithNothingCaptured) {
    auto snapshot = NewSnapshot(false);
    ASSERT_EQ(snapshot.entries().size(), 190u);
    EXPECT_EQ(snapshot.entries()[121].keyPath,
              "Interface\\{618736E0-3C3D-11CF-810C-00AA00389B71}\\TypeLib");
    EXPECT_EQ(snapshot.entries()[121].valueName, "Version");
    for (const auto& entry : snapshot.entries()) {
        EXPECT_FALSE(entry.present);
        EXPECT_EQ(entry.type, 0u);
    }
}

TEST_F(SnapshotTest, CapturesStringsAndNumbersAndWritesThemBack) {
    registry.PutString(kHkcr, ".mdb", "", "Access.Application.11");
    registry.PutString(kHkcr, "Access.Application\\CurVer", "", "Access.Application.11");
    registry.Put(kHkcr, ".mdw", "", kRegExpandSz, std::string("%ACCESS%\\x\0", 11));
    registry.Put(kHkcr, ".ldb", "", kRegBinary, std::string("\x01\x02", 2));
    registry.PutDword(kHklm, kOfficeKey, "LastAccessInstall", 11);

    auto snapshot = NewSnapshot(false);
    snapshot.CaptureSnapshot();
    EXPECT_TRUE(snapshot.entries()[11].present);  // .mdb
    EXPECT_FALSE(snapshot.entries()[3].present);  // .ldb: binary values are not captured
    EXPECT_FALSE(snapshot.entries()[0].present);  // .ade: missing
    EXPECT_EQ(snapshot.entries()[16].type, 2u);   // .mdw: REG_EXPAND_SZ
    EXPECT_EQ(snapshot.entries()[16].text, "%ACCESS%\\x") << "held unexpanded";
    EXPECT_EQ(snapshot.entries()[189].type, 4u);
    EXPECT_EQ(snapshot.entries()[189].number, 11u);

    // What the launch changes in between.
    registry.PutString(kHkcr, ".mdb", "", "Access.Application.12");
    registry.PutString(kHkcr, "Access.Application\\CurVer", "", "Access.Application.12");
    registry.PutDword(kHklm, kOfficeKey, "LastAccessInstall", 12);
    registry.PutString(kHkcr, ".ade", "", "created meanwhile");
    registry.Put(kHkcr, ".ldb", "", kRegBinary, "changed");
    DeleteKeyTree(registry, kHkcr, ".mdw");

    snapshot.RestoreSnapshot();
    EXPECT_EQ(Read(kHkcr, ".mdb", ""), "1:Access.Application.11");
    EXPECT_EQ(Read(kHkcr, "Access.Application\\CurVer", ""), "1:Access.Application.11");
    EXPECT_EQ(Read(kHklm, kOfficeKey, "LastAccessInstall"), "4:11");
    EXPECT_EQ(Read(kHkcr, ".mdw", ""), "2:%ACCESS%\\x")
        << "the key is created again, and the value keeps its expandable type";
    EXPECT_EQ(Read(kHkcr, ".ade", ""), "1:created meanwhile") << "not present: left alone";
    EXPECT_EQ(Read(kHkcr, ".ldb", ""), "3:changed");
    EXPECT_TRUE(files.files.empty()) << "no file outside file mode";
    EXPECT_EQ(registry.openKeyCount(), 0);
}

TEST_F(SnapshotTest, RemovedEntriesAreNotRestored) {
    registry.PutString(kHkcr, "Access.Application\\CurVer", "", "Access.Application.12");
    registry.PutString(kHkcr, "Access.Application\\CLSID", "", "{old}");
    auto snapshot = NewSnapshot(false);
    snapshot.CaptureSnapshot();

    EXPECT_TRUE(snapshot.RemoveEntry(kHkcr, "Access.Application\\CurVer"));
    EXPECT_FALSE(snapshot.RemoveEntry(kHkcr, "Access.Application\\CurVer")) << "only one was there";
    EXPECT_FALSE(snapshot.RemoveEntry(kHkcr, "access.application\\clsid")) << "exact case only";
    EXPECT_FALSE(snapshot.RemoveEntry(kHklm, "Access.Application\\CLSID"));
    EXPECT_FALSE(snapshot.RemoveEntry(kHkcr, "Not\\In\\The\\List"));
    // Only default values are removed: the named value of this key stays.
    EXPECT_FALSE(snapshot.RemoveEntry(kHkcr, "MIME\\Database\\Content Type\\application/msaccess"));
    EXPECT_EQ(snapshot.entries().size(), 189u);

    registry.PutString(kHkcr, "Access.Application\\CurVer", "", "Access.Application.11");
    registry.PutString(kHkcr, "Access.Application\\CLSID", "", "{new}");
    snapshot.RestoreSnapshot();
    EXPECT_EQ(Read(kHkcr, "Access.Application\\CurVer", ""), "1:Access.Application.11");
    EXPECT_EQ(Read(kHkcr, "Access.Application\\CLSID", ""), "1:{old}");
}

TEST_F(SnapshotTest, RestoreGoesOnPastWritesThatFail) {
    registry.PutString(kHkcr, ".adp", "", "a");
    registry.PutString(kHkcr, ".mdb", "", "b");
    auto snapshot = NewSnapshot(false);
    snapshot.CaptureSnapshot();
    registry.PutString(kHkcr, ".adp", "", "changed a");
    registry.PutString(kHkcr, ".mdb", "", "changed b");
    registry.FailWrites(kHkcr, ".adp");
    snapshot.RestoreSnapshot();
    EXPECT_EQ(Read(kHkcr, ".adp", ""), "1:changed a");
    EXPECT_EQ(Read(kHkcr, ".mdb", ""), "1:b");
}

TEST_F(SnapshotTest, CaptureWritesOnlyCiphertextToAHiddenFile) {
    registry.PutString(kHkcr, ".mdb", "", "Access.Application.11");
    registry.PutString(kHkcr, "Interface\\{618736E0-3C3D-11CF-810C-00AA00389B71}\\TypeLib",
                       "Version", "2.1");
    registry.PutDword(kHklm, kOfficeKey, "LastAccessInstall", 11);
    files.files[kFile] = "an older capture";

    NewSnapshot(true).CaptureSnapshot();

    ASSERT_EQ(files.files.count(kFile), 1u);
    EXPECT_EQ(files.hidden.count(kFile), 1u);
    EXPECT_FALSE(files.IsHeld(kFile)) << "closed after the write";
    const std::string& bytes = files.files[kFile];
    EXPECT_EQ(bytes.size() % 8, 0u);
    EXPECT_EQ(bytes.find("HKEY"), std::string::npos);
    EXPECT_EQ(OpenSnapshotBytes(bytes),
              "HKEY_CLASSES_ROOT\\.mdb\t=REG_SZ\tAccess.Application.11\n"
              "HKEY_CLASSES_ROOT\\Interface\\{618736E0-3C3D-11CF-810C-00AA00389B71}\\TypeLib\t"
              "Version=REG_SZ\t2.1\n"
              "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Office\\Common\tLastAccessInstall="
              "REG_DWORD\t11\n");
    EXPECT_EQ(Read(kHkcr, ".mdb", ""), "1:Access.Application.11") << "capture changes nothing";
}

// The values the plain text format used to lose on the way back: "=" and tabs in the text, empty
// texts, trailing spaces.
TEST_F(SnapshotTest, FileRoundTripRestoresEveryValueExactly) {
    struct Stored {
        RootKey root;
        const char* key;
        const char* name;
        const char* text;
    };
    const Stored values[] = {
        {kHkcr, ".mdb", "", "Access.Application.11"},
        {kHkcr, ".mde", "", ""},
        {kHkcr, "Access.Shortcut.Form.1\\shell\\Open\\command", "command", "a=b=c"},
        {kHkcr, "Access.Shortcut.Form.1\\shell\\Open\\command", "", "\"C:\\x.exe\" /cmd=\"%1\""},
        {kHkcr, "Access.Shortcut.Query.1\\DefaultIcon", "", "tab\tinside\t"},
        {kHkcr, "htmlfile\\shell\\Edit\\command", "", "trailing spaces   "},
        {kHkcr, "MIME\\Database\\Content Type\\application/msaccess", "Extension", " .mdb"},
    };
    for (const auto& v : values) registry.PutString(v.root, v.key, v.name, v.text);
    registry.PutDword(kHklm, kOfficeKey, "LastAccessInstall", 4294967295u);
    const std::string inproc = "CLSID\\{42042206-2D85-11D3-8CFF-005004838597}\\InprocServer32";
    registry.Put(kHkcr, inproc, "", kRegExpandSz,
                 std::string("%CommonProgramFiles%\\x.dll") + '\0');
    NewSnapshot(true).CaptureSnapshot();

    // Everything changed or gone before the restore run.
    for (const auto& v : values) registry.PutString(v.root, v.key, v.name, "changed");
    DeleteKeyTree(registry, kHklm, kOfficeKey);
    registry.PutString(kHkcr, inproc, "", "C:\\changed.dll");

    NewSnapshot(true).RestoreSnapshot();
    for (const auto& v : values) {
        SCOPED_TRACE(std::string(v.key) + " " + v.name);
        EXPECT_EQ(Read(v.root, v.key, v.name), std::string("1:") + v.text);
    }
    EXPECT_EQ(Read(kHklm, kOfficeKey, "LastAccessInstall"), "4:4294967295");
    EXPECT_EQ(Read(kHkcr, inproc, ""), "2:%CommonProgramFiles%\\x.dll")
        << "an expandable path stays expandable";
    EXPECT_EQ(files.files.count(kFile), 0u) << "the restore deletes the file";
    EXPECT_EQ(Read(kHkcr, ".ade", ""), "missing") << "absent from the file: not written";
}

// A file as the plain format writes it, with a line that differs only in case, one that does
// not belong to the list and one whose key path is padded with blanks.
TEST_F(SnapshotTest, RestoreReadsFilesOfThePlainFormatAndMatchesPathsExactly) {
    files.files[kFile] = SealSnapshotText(
        "HKEY_CLASSES_ROOT\\.mdb\t=REG_SZ\tAccess.Application.11\n"
        "HKEY_CLASSES_ROOT\\.MDE\t=REG_SZ\twrong case\n"
        "HKEY_CLASSES_ROOT\\Not\\Listed\t=REG_SZ\tx\n"
        "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Office\\Common\tLastAccessInstall=REG_DWORD\t11\n"
        "HKEY_CLASSES_ROOT\\.mda\t=REG_BINARY\t0102\n"
        "HKEY_CLASSES_ROOT\\.mar  \t=REG_SZ\tx\n");
    NewSnapshot(true).RestoreSnapshot();
    EXPECT_EQ(Read(kHkcr, ".mdb", ""), "1:Access.Application.11");
    EXPECT_EQ(Read(kHkcr, ".mde", ""), "missing");
    EXPECT_FALSE(registry.HasKey(kHkcr, "Not\\Listed"));
    EXPECT_EQ(Read(kHkcr, ".mda", ""), "missing");
    EXPECT_EQ(Read(kHkcr, ".mar", ""), "1:x") << "blanks after the key path are not part of it";
    EXPECT_EQ(Read(kHklm, kOfficeKey, "LastAccessInstall"), "4:11");
    EXPECT_EQ(files.files.count(kFile), 0u);
}

TEST_F(SnapshotTest, EmptyCaptureWritesAnEmptyFileThatRestoresNothing) {
    NewSnapshot(true).CaptureSnapshot();
    ASSERT_EQ(files.files.count(kFile), 1u);
    EXPECT_EQ(files.files[kFile], "");

    registry.PutString(kHkcr, ".mdb", "", "made after the capture");
    NewSnapshot(true).RestoreSnapshot();
    EXPECT_EQ(files.files.count(kFile), 0u);
    EXPECT_EQ(Read(kHkcr, ".mdb", ""), "1:made after the capture");
}

TEST_F(SnapshotTest, RestoreWithoutAReadableFileWritesNothingAndDeletesNothing) {
    registry.PutString(kHkcr, ".mdb", "", "current");
    NewSnapshot(true).RestoreSnapshot();  // no file at all
    EXPECT_EQ(Read(kHkcr, ".mdb", ""), "1:current");

    // Another launcher holds the file: it counts as missing and stays.
    files.files[kFile] = SealSnapshotText("HKEY_CLASSES_ROOT\\.mdb\t=REG_SZ\tfrom file\n");
    auto other = files.OpenHeld(kFile, FileSharing::None);
    NewSnapshot(true).RestoreSnapshot();
    EXPECT_EQ(Read(kHkcr, ".mdb", ""), "1:current");
    EXPECT_EQ(files.files.count(kFile), 1u);

    // A capture cannot replace it meanwhile either.
    NewSnapshot(true).CaptureSnapshot();
    EXPECT_EQ(OpenSnapshotBytes(files.files[kFile]),
              "HKEY_CLASSES_ROOT\\.mdb\t=REG_SZ\tfrom file\n");
    other.reset();

    // Without a temporary folder there is nowhere to look, and nowhere to write.
    system.tempFolder.clear();
    NewSnapshot(true).RestoreSnapshot();
    NewSnapshot(true).CaptureSnapshot();
    EXPECT_EQ(Read(kHkcr, ".mdb", ""), "1:current");
    EXPECT_EQ(files.files.size(), 1u);
}

}  // namespace
}  // namespace lanvik

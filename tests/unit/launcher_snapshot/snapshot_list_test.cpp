#include "registry/snapshot_list.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <tuple>

namespace lanvik {
namespace {

TEST(SnapshotList, Holds190ValuesAllClassRegistrationsButTheLast) {
    auto list = SnapshotValueList();
    ASSERT_EQ(list.size(), 190u);
    for (std::size_t i = 0; i + 1 < list.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(list[i].root, RootKey::ClassesRoot);
    }
    EXPECT_EQ(list.back().root, RootKey::LocalMachine);
    EXPECT_EQ(list.back().keyPath, "SOFTWARE\\Microsoft\\Office\\Common");
    EXPECT_EQ(list.back().valueName, "LastAccessInstall");

    std::set<std::tuple<RootKey, std::string, std::string>> distinct;
    for (const auto& v : list) {
        distinct.emplace(v.root, std::string(v.keyPath), std::string(v.valueName));
    }
    EXPECT_EQ(distinct.size(), list.size());
}

// The first and last value of every group, and the pairs where a key gives its default value
// first and then a named one.
TEST(SnapshotList, KeepsTheOrderOfEveryGroup) {
    struct Sample {
        std::size_t index;
        const char* keyPath;
        const char* valueName;
    };
    const Sample samples[] = {
        {0, ".ade", ""},
        {12, ".mdb\\ShellNew", ""},
        {17, ".mdz", ""},
        {18, "Access.ADEFile\\CurVer", ""},
        {19, "Access.Application\\CurVer", ""},
        {20, "Access.Application\\CLSID", ""},
        {36, "Access.Project\\CurVer", ""},
        {37, "Access.Shortcut.DataAccessPage.1\\DefaultIcon", ""},
        {38, "Access.Shortcut.DataAccessPage.1\\shell\\Design\\command", ""},
        {39, "Access.Shortcut.DataAccessPage.1\\shell\\Design\\command", "command"},
        {42, "Access.Shortcut.Diagram.1\\DefaultIcon", ""},
        {102, "Access.Shortcut.View.1\\shell\\Open\\command", ""},
        {103, "Access.Shortcut.View.1\\shell\\Open\\command", "command"},
        {104, "accesshtmlfile\\DefaultIcon", ""},
        {109, "accessthmltemplate\\shell\\Open\\command", "command"},
        {110, "CLSID\\{42042206-2D85-11D3-8CFF-005004838597}\\InprocServer32", ""},
        {115, "CLSID\\{73A4C9C1-D68D-11D0-98BF-00A0C90DC8D9}\\LocalServer32", ""},
        {116, "CLSID\\{73A4C9C1-D68D-11D0-98BF-00A0C90DC8D9}\\LocalServer32", "LocalServer32"},
        {117, "CLSID\\{73A4C9C1-D68D-11D0-98BF-00A0C90DC8D9}\\ProgID", ""},
        {118, "htmlfile\\shell\\Edit\\command", ""},
        {119, "htmlfile\\shell\\Print\\command", ""},
        {120, "Interface\\{618736E0-3C3D-11CF-810C-00AA00389B71}\\TypeLib", ""},
        {121, "Interface\\{618736E0-3C3D-11CF-810C-00AA00389B71}\\TypeLib", "Version"},
        {122, "Interface\\{C547E760-9658-101B-81EE-00AA004750E2}\\TypeLib", "Version"},
        {174, "Interface\\{A4C46780-499F-101B-BB78-00AA00383CBB}\\TypeLib", "Version"},
        {175, "Interface\\{CDDE3804-2064-11CF-867F-00AA005FF34A}\\TypeLib", ""},
        {176, "mhtmlfile\\shell\\Edit\\command", ""},
        {177, "mhtmlfile\\shell\\Print\\command", ""},
        {178, "MIME\\Database\\Content Type\\application/msaccess", "Extension"},
        {179, "odccube.1\\HTML Handler", ""},
        {182, "odcdatabase.1\\HTML Handler\\shell\\edit\\command", ""},
        {183, "TypeLib\\{4AFFC9A0-5F99-101B-AF4E-00AA003F0F07}\\9.0", ""},
        {184, "TypeLib\\{4AFFC9A0-5F99-101B-AF4E-00AA003F0F07}\\9.0\\0\\win32", ""},
        {188, "TypeLib\\{5B87B6F0-17C8-11D0-AD41-00A0C90DC8D9}\\8.1\\HELPDIR", ""},
    };
    auto list = SnapshotValueList();
    for (const auto& s : samples) {
        SCOPED_TRACE(s.index);
        ASSERT_LT(s.index, list.size());
        EXPECT_EQ(list[s.index].keyPath, s.keyPath);
        EXPECT_EQ(list[s.index].valueName, s.valueName);
    }
}

// The repair program walks each key of the list once, as a path under HKEY_LOCAL_MACHINE.
TEST(SnapshotList, GivesTheRepairProgramEachKeyOnceUnderTheMachineRoot) {
    auto paths = SnapshotMachineKeyPaths();
    ASSERT_EQ(paths.size(), 165u);
    EXPECT_EQ(paths.front(), "SOFTWARE\\Classes\\.ade");
    EXPECT_EQ(paths[13], "SOFTWARE\\Classes\\.mde");
    EXPECT_EQ(paths[38],
              "SOFTWARE\\Classes\\Access.Shortcut.DataAccessPage.1\\shell\\Design\\command");
    EXPECT_EQ(paths[39],
              "SOFTWARE\\Classes\\Access.Shortcut.DataAccessPage.1\\shell\\open\\command");
    EXPECT_EQ(paths.back(), "SOFTWARE\\Microsoft\\Office\\Common");
    EXPECT_EQ(std::set<std::string>(paths.begin(), paths.end()).size(), paths.size());
}

}  // namespace
}  // namespace lanvik

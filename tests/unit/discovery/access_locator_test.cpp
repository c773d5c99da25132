#include "discovery/access_locator.h"

#include <gtest/gtest.h>

#include "../log_capture.h"
#include "registry/memory_registry.h"

namespace lanvik {
namespace {

constexpr RootKey kHkcr = RootKey::ClassesRoot;
constexpr RootKey kHklm = RootKey::LocalMachine;

constexpr const char* kMachineComponent =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Installer\\Components\\"
    "8F287D2F41B64AF4F8AB65C5DD9B2B8A";
constexpr const char* kProduct = "9040C10900063D11C8EF10054038389C";

std::string UserComponent(const std::string& sid) {
    return "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Installer\\UserData\\" + sid +
           "\\Components\\8F287D2F41B64AF4F8AB65C5DD9B2B8A";
}

TEST(CommandToProgramFolder, CutsTheFolderBeforeTheExecutable) {
    struct Case {
        const char* command;
        const char* folder;
    };
    const Case cases[] = {
        {"\"C:\\Program Files\\Office\\MSACCESS.EXE\" /NOSTARTUP \"%1\"",
         "C:\\PROGRAM FILES\\OFFICE"},
        {"C:\\Program Files\\Microsoft Office\\Office11\\msaccess.exe /Automation",
         "C:\\PROGRAM FILES\\MICROSOFT OFFICE\\OFFICE11"},
        {"C:\\Office\\Runtime\\MSACCESS.EXE", "C:\\OFFICE\\RUNTIME"},
        {"\"D:\\A\\MSACCESS.EXE\" \"E:\\B\\MSACCESS.EXE\"", "D:\\A"},
        {"C:\\Office\\Access.exe /x", "C:\\OFFICE\\ACCESS.EXE /X"},
        {"MSACCESS.EXE /x", "MSACCESS.EXE /X"},
        {"\"\\MSACCESS.EXE\"", ""},
        {"\"\"C:\\Q\\MSACCESS.EXE", "\"C:\\Q"},
        {"", ""},
        {"c:\\caf\xe9\\msaccess.exe", "C:\\CAF\xe9"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.command);
        EXPECT_EQ(c.folder, CommandToProgramFolder(c.command));
    }
}

TEST(ProgramFolderOf, KeepsTheTextBeforeTheLastBackslash) {
    EXPECT_EQ("C:\\Data", ProgramFolderOf("C:\\Data\\app.mdb.sec"));
    EXPECT_EQ("\"C:\\Data", ProgramFolderOf("\"C:\\Data\\app.mdb\" /wrkgrp x.sec"));
    EXPECT_EQ("C:", ProgramFolderOf("C:\\app.sec"));
    EXPECT_EQ("C:\\Data", ProgramFolderOf("C:\\Data\\"));
    EXPECT_EQ("", ProgramFolderOf("app.sec"));
    EXPECT_EQ("", ProgramFolderOf(""));
}

TEST(VersionText, IsTheDecimalNumber) {
    EXPECT_EQ("97", VersionText(97));
    EXPECT_EQ("2003", VersionText(2003));
    EXPECT_EQ("0", VersionText(0));
    EXPECT_EQ("-12", VersionText(-12));
}

TEST(GetFullAccessLocations, FillsOnlyTheVersionsFound) {
    MemoryRegistry registry;
    registry.PutString(kHkcr, "Access.Application.8\\shell\\open\\command", "", "");
    registry.PutDword(kHkcr, "Access.Application.9\\shell\\open\\command", "", 9);
    registry.PutString(kHkcr, "Access.Application.11\\shell\\open\\command", "",
                       "\"C:\\Program Files\\Microsoft Office\\OFFICE11\\MSACCESS.EXE\" "
                       "/NOSTARTUP \"%1\"");
    registry.PutString(kHkcr, "ACCESS.APPLICATION.12\\Shell\\Open\\Command", "",
                       "C:\\Office12\\Msaccess.exe");
    LogCapture capture;
    AccessLocations locations;
    locations.access97 = "KEEP97";
    locations.access2000 = "KEEP2000";
    locations.access2003 = "OLD2003";

    GetFullAccessLocations(registry, capture.log, locations);

    EXPECT_EQ("KEEP97", locations.access97);
    EXPECT_EQ("KEEP2000", locations.access2000);
    EXPECT_EQ("", locations.access2002);
    EXPECT_EQ("C:\\PROGRAM FILES\\MICROSOFT OFFICE\\OFFICE11", locations.access2003);
    EXPECT_EQ("C:\\OFFICE12", locations.access2007);
    EXPECT_EQ((std::vector<std::string>{
                  "Start of GetFullAccessLocations",
                  "Access 2003 Full found: C:\\PROGRAM FILES\\MICROSOFT OFFICE\\OFFICE11",
                  "Access 2007 Full found: C:\\OFFICE12",
              }),
              capture.Lines());
    EXPECT_EQ(0, registry.openKeyCount());
}

TEST(GetFullAccessLocations, LogsEveryVersionInOrderAndNothingWhenLoggingIsOff) {
    MemoryRegistry registry;
    const char* programs[] = {"8", "9", "10", "11", "12"};
    for (const char* number : programs)
        registry.PutString(kHkcr,
                           std::string("Access.Application.") + number + "\\shell\\open\\command",
                           "", std::string("C:\\O") + number + "\\MSACCESS.EXE");
    LogCapture capture;
    AccessLocations locations;
    GetFullAccessLocations(registry, capture.log, locations);
    EXPECT_EQ((std::vector<std::string>{
                  "Start of GetFullAccessLocations", "Access 97 Full found: C:\\O8",
                  "Access 2000 Full found: C:\\O9", "Access 2002 Full found: C:\\O10",
                  "Access 2003 Full found: C:\\O11", "Access 2007 Full found: C:\\O12"}),
              capture.Lines());

    LogCapture silent(false);
    AccessLocations quiet;
    GetFullAccessLocations(registry, silent.log, quiet);
    EXPECT_EQ("C:\\O8", quiet.access97);
    EXPECT_EQ("C:\\O12", quiet.access2007);
    EXPECT_TRUE(silent.files.files.empty());
}

TEST(GetAccessRuntimeLocation, FindsTheInstallerRegistration) {
    struct Value {
        std::string key;
        std::string name;
        std::uint32_t type;  // kRegSz (written with its NUL) or kRegDword
        std::string text;
    };
    struct Case {
        const char* name;
        std::vector<Value> values;
        std::string location;
    };
    const std::string s18 = UserComponent("S-1-5-18");
    const std::string s21 = UserComponent("S-1-5-21-1004336348-1177238915-682003330-1000");
    const Case cases[] = {
        {"nothing installed", {}, ""},
        {"machine-wide product value",
         {{kMachineComponent, kProduct, kRegSz, "C?\\Program Files\\Office\\MSACCESS.EXE"}},
         "C:\\Program Files\\Office\\MSACCESS.EXE"},
        {"machine-wide wins over per-user",
         {{s18, kProduct, kRegSz, "D?\\User\\MSACCESS.EXE"},
          {kMachineComponent, kProduct, kRegSz, "C?\\Machine\\MSACCESS.EXE"}},
         "C:\\Machine\\MSACCESS.EXE"},
        {"first user in enumeration order wins",
         {{s21, kProduct, kRegSz, "E?\\S21\\MSACCESS.EXE"},
          {s18, kProduct, kRegSz, "D?\\S18\\MSACCESS.EXE"}},
         "D:\\S18\\MSACCESS.EXE"},
        {"product value missing: the first value when a string",
         {{kMachineComponent, "00000000000000000000000000000000", kRegSz, "C?\\First\\A.EXE"},
          {kMachineComponent, "ZZZ", kRegSz, "C?\\Second\\B.EXE"}},
         "C:\\First\\A.EXE"},
        {"product value empty: the first value",
         {{kMachineComponent, "Other", kRegSz, "C?\\Other\\A.EXE"},
          {kMachineComponent, kProduct, kRegSz, ""}},
         "C:\\Other\\A.EXE"},
        {"first value not a string: next candidate",
         {{kMachineComponent, "Number", kRegDword, ""},
          {kMachineComponent, "Text", kRegSz, "C?\\Skipped.EXE"},
          {s18, kProduct, kRegSz, "D?\\S18\\MSACCESS.EXE"}},
         "D:\\S18\\MSACCESS.EXE"},
        {"product value a number and first", {{kMachineComponent, kProduct, kRegDword, ""}}, ""},
        {"every question mark",
         {{kMachineComponent, kProduct, kRegSz, "C?\\What?\\MSACCESS.EXE?"}},
         "C:\\What:\\MSACCESS.EXE:"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MemoryRegistry registry;
        registry.PutKey(kHklm, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Installer\\UserData");
        for (const Value& v : c.values) {
            if (v.type == kRegDword)
                registry.PutDword(kHklm, v.key, v.name, 1);
            else
                registry.PutString(kHklm, v.key, v.name, v.text);
        }
        LogCapture capture;
        EXPECT_EQ(c.location, GetAccessRuntimeLocation(registry, capture.log));
        EXPECT_EQ((std::vector<std::string>{
                      "Beginning of GetAccessRuntimeLocation for Access 2003",
                      "End of GetAccessRuntimeLocation for Access 2003",
                      c.location.empty() ? "\t\tRuntime location not found!"
                                         : "\t\tRuntime location: " + c.location,
                  }),
                  capture.Lines());
        EXPECT_EQ(0, registry.openKeyCount());
    }
}

TEST(GetAccessRuntimeLocation, AnEmptyRegistryGivesNothing) {
    MemoryRegistry registry;
    LogCapture capture;
    EXPECT_EQ("", GetAccessRuntimeLocation(registry, capture.log));
    EXPECT_EQ(
        "Beginning of GetAccessRuntimeLocation for Access 2003\r\n"
        "End of GetAccessRuntimeLocation for Access 2003\r\n"
        "\t\tRuntime location not found!\r\n",
        capture.Text());
}

}  // namespace
}  // namespace lanvik

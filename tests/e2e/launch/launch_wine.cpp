// Scenarios of whole launches under Wine: the real launcher, the stand-in Access (which reports
// the registry values it sees while it starts), the dialog driver answering the boxes, and the
// prefix's registry read before and after.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <map>
#include <regex>
#include <string>
#include <vector>

#include "e2e/harness.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Lines = std::vector<std::string>;

const char kRuntimeFolder[] = "C:\\Program Files\\Microsoft Office\\OFFICE11";
const char kRuntimeFolderUpper[] = "C:\\PROGRAM FILES\\MICROSOFT OFFICE\\OFFICE11";
const char k2007Folder[] = "C:\\Program Files\\Microsoft Office\\Office12";
const char k2007FolderUpper[] = "C:\\PROGRAM FILES\\MICROSOFT OFFICE\\OFFICE12";
const char kComponentKey[] =
    "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Installer\\Components\\"
    "8F287D2F41B64AF4F8AB65C5DD9B2B8A";
const char kProductValue[] = "9040C10900063D11C8EF10054038389C";
const char kLibKey[] = "HKCR\\TypeLib\\{4AFFC9A0-5F99-101B-AF4E-00AA003F0F07}\\9.0\\0\\win32";
const char kLibVersionKey[] = "HKCR\\TypeLib\\{4AFFC9A0-5F99-101B-AF4E-00AA003F0F07}\\9.0";
const char kCurVerKey[] = "HKCR\\Access.Application\\CurVer";
const char kSecurityKey[] = "HKCU\\Software\\Microsoft\\Office\\11.0\\Access\\Security";
const char kDde2003Key[] = "HKCU\\Software\\Microsoft\\Office\\11.0\\Access\\Settings";
const char kDde2007Key[] = "HKCU\\Software\\Microsoft\\Office\\10.0\\Access\\Settings";
const char kUserDataKey[] = "HKCU\\Software\\Microsoft\\Office\\9.0\\Access";
const char kGifKey[] =
    "HKCU\\Software\\Microsoft\\Shared Tools\\Graphics Filters\\Import\\GIF\\Options";
const char kTrustedKey[] =
    "HKCU\\Software\\Microsoft\\Office\\12.0\\Access\\Security\\Trusted Locations";

// The values compared before, during and after a launch: "ROOT\key|value name".
const std::vector<std::pair<std::string, std::string>> kWatched = {
    {kLibKey, ""},
    {kLibVersionKey, ""},
    {kCurVerKey, ""},
    {kSecurityKey, "Level"},
    {kDde2003Key, "Ignore DDE Requests"},
    {kDde2007Key, "Ignore DDE Requests"},
    {kUserDataKey, "UserData"},
    {kGifKey, "ShowProgressDialog"},
};

std::string EntryText(const std::pair<std::string, std::string>& value) {
    return value.first + "|" + value.second;
}

// A value as the stand-in reports it: the text, a DWORD in decimal, or "<none>".
std::string Value(const std::string& key, const std::string& name) {
    std::optional<e2e::RegValue> value = e2e::RegQuery(key, name);
    if (!value) return "<none>";
    if (value->type == e2e::RegType::Dword) return std::to_string(value->number);
    return value->text;
}

std::map<std::string, std::string> ReadWatched() {
    std::map<std::string, std::string> values;
    for (const auto& watched : kWatched)
        values[EntryText(watched)] = Value(watched.first, watched.second);
    return values;
}

Lines SplitLines(const std::string& text) {
    Lines lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find("\r\n", start);
        if (end == std::string::npos) end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

std::string Launcher() {
    return e2e::QuoteIfNeeded(e2e::WindowsPath(e2e::Win64Binary("Lanvik_2003.exe")));
}

class LaunchUnderWine : public ::testing::Test {
  protected:
    void SetUp() override {
        for (const char* key :
             {"HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Installer\\Components",
              "HKCR\\Access.Application", "HKCR\\Access.Application.11",
              "HKCR\\Access.Application.12",
              "HKCR\\TypeLib\\{4AFFC9A0-5F99-101B-AF4E-00AA003F0F07}",
              "HKCR\\TypeLib\\{2DF8D04C-5BFA-101B-BDE5-00AA0044DE52}",
              "HKCU\\Software\\Microsoft\\Office", "HKCU\\Software\\Microsoft\\Shared Tools",
              "HKLM\\SOFTWARE\\Lanvik Stock"})
            e2e::RegDeleteKey(key);
        e2e::RegSetString("HKCR\\.mdb", "", "Access.Application.11");
        fs::remove_all(e2e::UnixPath("C:\\Program Files\\Microsoft Office"));
        fs::remove_all(e2e::UnixPath("C:\\Data"));
        fs::create_directories(e2e::UnixPath("C:\\Data"));
        logFile_ = e2e::DesktopFolder().unix / "LanvikLog.txt";
        fs::remove(logFile_);
        fs::remove(e2e::TempFolder().unix / "~QDReg.dat");
        record_ = e2e::UnixPath("C:\\Data") / "access_cmdline.txt";
        registryReport_ = e2e::UnixPath("C:\\Data") / "access_registry.txt";
    }

    // The stand-in as MSACCESS.EXE in the folder, with the object library beside it.
    void InstallAccess(const std::string& folder, bool withLibrary = true) {
        fs::path unix = e2e::UnixPath(folder);
        fs::create_directories(unix);
        fs::copy_file(e2e::TestingBinary("access_standin.exe"), unix / "MSACCESS.EXE",
                      fs::copy_options::overwrite_existing);
        if (withLibrary)
            fs::copy_file(e2e::TestingBinary("MSACC.OLB"), unix / "MSACC.OLB",
                          fs::copy_options::overwrite_existing);
    }
    // The run-time as the Windows Installer records it (the drive's colon as "?").
    void InstallRuntime(bool withLibrary = true) {
        InstallAccess(kRuntimeFolder, withLibrary);
        e2e::RegSetString(kComponentKey, kProductValue,
                          "C?\\Program Files\\Microsoft Office\\OFFICE11\\MSACCESS.EXE");
    }
    // A full Access 2007: its automation server's open command.
    void InstallFull2007() {
        InstallAccess(k2007Folder);
        e2e::RegSetString("HKCR\\Access.Application.12\\shell\\open\\command", "",
                          std::string("\"") + k2007Folder + "\\MSACCESS.EXE\" /NOSTARTUP \"%1\"");
        e2e::WriteFile(e2e::UnixPath(k2007Folder) / "Utility.accda", "add-in");
    }

    e2e::ScenarioResult Launch(const std::string& options, std::vector<std::string> answers = {}) {
        e2e::Scenario scenario;
        scenario.command_line = Launcher() + " " + options;
        scenario.answers = std::move(answers);
        scenario.timeout = 60s;
        std::string entries;
        for (const auto& watched : kWatched)
            entries += (entries.empty() ? "" : ";") + EntryText(watched);
        scenario.env = {"LANVIK_ACCESS_RECORD=" + e2e::WindowsPath(record_),
                        "LANVIK_ACCESS_REGISTRY=" + entries,
                        "LANVIK_ACCESS_REGISTRY_FILE=" + e2e::WindowsPath(registryReport_),
                        "LANVIK_ACCESS_LIFETIME_MS=1000"};
        fs::remove(record_);
        fs::remove(registryReport_);
        auto start = std::chrono::steady_clock::now();
        e2e::ScenarioResult result = e2e::RunScenario(scenario);
        took_ = std::chrono::duration_cast<std::chrono::milliseconds>(
            std::chrono::steady_clock::now() - start);
        std::printf("[ scenario ] %s: %.1f s\n", options.c_str(), took_.count() / 1000.0);
        EXPECT_FALSE(result.timed_out);
        EXPECT_EQ(result.exit_code, 0);
        return result;
    }

    // The run log's last section, without its separators; "ProcessID: <pid>" for the number.
    Lines LogSection() const {
        if (!fs::exists(logFile_)) return {"<no log>"};
        Lines lines = SplitLines(e2e::ReadFile(logFile_));
        const std::string separator(51, '=');
        Lines section;
        for (const std::string& line : lines) {
            if (line == separator) {
                if (!section.empty()) break;
                continue;
            }
            section.push_back(
                std::regex_replace(line, std::regex("ProcessID: [0-9]+$"), "ProcessID: <pid>"));
        }
        return section;
    }
    // What the stand-in saw while it started.
    std::map<std::string, std::string> SeenByAccess() const {
        std::map<std::string, std::string> seen;
        if (!fs::exists(registryReport_)) return seen;
        for (const std::string& line : SplitLines(e2e::ReadFile(registryReport_))) {
            std::size_t equals = line.find('=');
            if (equals != std::string::npos) seen[line.substr(0, equals)] = line.substr(equals + 1);
        }
        return seen;
    }
    std::string AccessCommandLine() const {
        if (!fs::exists(record_)) return "<not started>";
        return SplitLines(e2e::ReadFile(record_)).at(0);
    }

    fs::path logFile_, record_, registryReport_;
    std::chrono::milliseconds took_{0};
};

Lines Discovery(const Lines& fullFound, const std::string& runtime) {
    Lines lines = {"Lanvik_2003 version: 2.1.0.41", ".mdb default: Access.Application.11",
                   "Start of GetFullAccessLocations"};
    lines.insert(lines.end(), fullFound.begin(), fullFound.end());
    lines.push_back("Beginning of GetAccessRuntimeLocation for Access 2003");
    lines.push_back("End of GetAccessRuntimeLocation for Access 2003");
    lines.push_back(runtime.empty() ? "\t\tRuntime location not found!"
                                    : "\t\tRuntime location: " + runtime);
    return lines;
}

Lines operator+(Lines a, const Lines& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

const std::string kRuntimeExe = std::string(kRuntimeFolder) + "\\MSACCESS.EXE";
const std::string kRuntimeLib = std::string(kRuntimeFolderUpper) + "\\MSACC.OLB";

TEST_F(LaunchUnderWine, Runtime2003LaunchPreparesTheRegistryAndRestoresIt) {
    InstallRuntime();
    e2e::RegSetString(kCurVerKey, "", "Access.Application.12");
    e2e::RegSetString(kLibKey, "", "C:\\Office12\\MSACC.OLB");
    e2e::RegSetString(kLibVersionKey, "", "Microsoft Access 12.0 Object Library");
    const auto before = ReadWatched();

    e2e::ScenarioResult result = Launch("-LOGGING -WAIT=0 \"C:\\Data\\Stock.mdb\"");
    EXPECT_TRUE(result.dialogs.empty());

    EXPECT_EQ(
        LogSection(),
        (Discovery({}, kRuntimeExe) +
         Lines{"The Access 2003 runtime was found!",
               std::string("Setting strAccess2003Path to runtime path: ") + kRuntimeFolderUpper,
               "Saving default registry settings",
               "Access.Application\\CurVer = Access.Application.12",
               "2003 - current MSACCOLB Path is: C:\\Office12\\MSACC.OLB",
               "2003 - need to set MSACCOLB Path to: " + kRuntimeLib,
               "Launching Access: " + kRuntimeExe, "\twith cmdline: \"C:\\Data\\Stock.mdb\"",
               "Access launched with ProcessID: <pid>", "Found main Access window - shutting down",
               "Restoring registry keys", "Exiting application"}));
    EXPECT_EQ(AccessCommandLine(), "\"" + kRuntimeExe + "\" \"C:\\Data\\Stock.mdb\"");

    auto during = before;
    during[EntryText({kLibKey, ""})] = kRuntimeLib;
    during[EntryText({kLibVersionKey, ""})] = "Lanvik test stand-in for the Access object library";
    during[EntryText({kCurVerKey, ""})] = "Access.Application.11";
    during[EntryText({kSecurityKey, "Level"})] = "1";
    during[EntryText({kDde2003Key, "Ignore DDE Requests"})] = "0";
    during[EntryText({kUserDataKey, "UserData"})] = "1";
    during[EntryText({kGifKey, "ShowProgressDialog"})] = "No";
    EXPECT_EQ(SeenByAccess(), during);

    // 12 is newer than 11: the object library comes back; the level was missing and is now 2;
    // the settings outside the snapshot stay.
    auto after = during;
    after[EntryText({kLibKey, ""})] = "C:\\Office12\\MSACC.OLB";
    after[EntryText({kLibVersionKey, ""})] = "Microsoft Access 12.0 Object Library";
    after[EntryText({kCurVerKey, ""})] = "Access.Application.12";
    after[EntryText({kSecurityKey, "Level"})] = "2";
    EXPECT_EQ(ReadWatched(), after);
}

TEST_F(LaunchUnderWine, Full2007LaunchKeepsTheNewerLibraryAndTrustsTheFolders) {
    InstallFull2007();
    e2e::WriteFile(e2e::UnixPath("C:\\Data") / "Stock.accdb", "database");
    e2e::RegSetString(kCurVerKey, "", "Access.Application.11");
    e2e::RegSetString(kLibKey, "", "C:\\Office11\\MSACC.OLB");
    e2e::RegSetDword(kSecurityKey, "Level", 3);
    const auto before = ReadWatched();

    e2e::ScenarioResult result = Launch("-LOGGING -WAIT=0 /nostartup \"C:\\Data\\Stock.accdb\"");
    EXPECT_TRUE(result.dialogs.empty());

    const std::string program = std::string(k2007FolderUpper) + "\\msaccess.exe";
    const std::string lib = std::string(k2007FolderUpper) + "\\MSACC.OLB";
    EXPECT_EQ(
        LogSection(),
        (Discovery({std::string("Access 2007 Full found: ") + k2007FolderUpper}, "") +
         Lines{"Don't have runtime, so trying full version",
               "Will use full version of 2007: " + program, "Saving default registry settings",
               "Access.Application\\CurVer = Access.Application.11",
               "2007 - current MSACCOLB Path is: C:\\Office11\\MSACC.OLB",
               "2007 - need to set MSACCOLB Path to: " + lib, "Launching Access: " + program,
               "\twith cmdline: /nostartup \"C:\\Data\\Stock.accdb\"",
               "Access launched with ProcessID: <pid>", "Found main Access window - shutting down",
               "Not setting back object library", "Restoring registry keys",
               "Exiting application"}));

    auto during = before;
    during[EntryText({kLibKey, ""})] = lib;
    during[EntryText({kLibVersionKey, ""})] = "Lanvik test stand-in for the Access object library";
    during[EntryText({kCurVerKey, ""})] = "Access.Application.12";
    during[EntryText({kDde2007Key, "Ignore DDE Requests"})] = "1";
    during[EntryText({kUserDataKey, "UserData"})] = "1";
    during[EntryText({kGifKey, "ShowProgressDialog"})] = "No";
    EXPECT_EQ(SeenByAccess(), during);
    // 11 is older than 12: the new registration stays; macro security is not the 2007 block's.
    EXPECT_EQ(ReadWatched(), during);

    std::optional<e2e::RegTree> trusted = e2e::RegReadTree(kTrustedKey);
    ASSERT_TRUE(trusted);
    std::vector<std::string> paths;
    for (const auto& [key, values] : *trusted) {
        if (key.empty()) continue;
        EXPECT_TRUE(
            std::regex_match(key, std::regex("\\{[0-9A-F]{8}(-[0-9A-F]{4}){3}-[0-9A-F]{12}\\}")))
            << key;
        ASSERT_EQ(values.size(), 1u) << key;
        paths.push_back(values.at("Path").text);
    }
    std::sort(paths.begin(), paths.end());
    EXPECT_EQ(paths, (std::vector<std::string>{"c:\\data\\",
                                               "c:\\program files\\microsoft office\\office12\\"}));
}

// The installation folder holds no object library, so registering it never takes effect.
TEST_F(LaunchUnderWine, RegistryErrorQuestionAnsweredYesRunsTheRepairAndNoDoesNot) {
    for (const char* answer : {"YES", "NO"}) {
        SCOPED_TRACE(answer);
        SetUp();
        InstallRuntime(false);
        e2e::RegSetString(kLibKey, "", "C:\\Old\\MSACC.OLB");
        e2e::RegSetString("HKLM\\SOFTWARE\\Lanvik Stock", "CmdLine", "/runtime");
        e2e::RegSetString("HKLM\\SOFTWARE\\Lanvik Stock\\Run-Time Options", "TitleBar",
                          "Magazzino");

        e2e::ScenarioResult result = Launch(
            "-LOGGING -WAIT=0 -CMD=\"SOFTWARE\\Lanvik Stock\" \"C:\\Data\\Stock.mdb\"", {answer});

        ASSERT_EQ(result.dialogs.size(), 1u);
        const e2e::Dialog& box = result.dialogs[0];
        EXPECT_EQ(box.title, "Registry Error");
        EXPECT_EQ(box.text,
                  "Magazzino has encountered an error writing to the registry.\n\nMagazzino will "
                  "not run properly until the registry permissions are reset.\n\nDo you want to "
                  "repair the registry permissions now?");
        EXPECT_EQ(box.buttons, (std::vector<std::string>{"YES", "NO"}));
        EXPECT_TRUE(box.icon);
        EXPECT_TRUE(box.scripted);

        const Lines discovery = Discovery({}, kRuntimeExe);
        Lines expected =
            Lines{"Lanvik_2003 version: 2.1.0.41", "Have cmdline from registry: /runtime",
                  "ParsedCmdLine: \"C:\\Data\\Stock.mdb\""} +
            Lines(discovery.begin() + 1, discovery.end()) +
            Lines{"The Access 2003 runtime was found!",
                  std::string("Setting strAccess2003Path to runtime path: ") + kRuntimeFolderUpper,
                  "Saving default registry settings",
                  "Access.Application\\CurVer = ",
                  "2003 - current MSACCOLB Path is: C:\\Old\\MSACC.OLB",
                  "2003 - need to set MSACCOLB Path to: " + kRuntimeLib,
                  "2003 - error setting MSACCOLB Path to: " + kRuntimeLib,
                  "MSACCOLB Path still set to: C:\\Old\\MSACC.OLB"};
        if (std::string(answer) == "YES")
            expected =
                expected +
                Lines{"2003 - After RunLanvikPermissions. Register MSACCOLB to: " + kRuntimeLib,
                      "MSACCOLB Path now set to: C:\\Old\\MSACC.OLB"};
        expected = expected + Lines{"Launching Access: " + kRuntimeExe,
                                    "\twith cmdline: /runtime \"C:\\Data\\Stock.mdb\"",
                                    "Access launched with ProcessID: <pid>",
                                    "Found main Access window - shutting down",
                                    "Restoring registry keys",
                                    "Exiting application"};
        EXPECT_EQ(LogSection(), expected);
        EXPECT_FALSE(fs::exists(e2e::TempFolder().unix / "LanvikPermissions.exe"));
        EXPECT_EQ(Value(kLibKey, ""), "C:\\Old\\MSACC.OLB");
        EXPECT_EQ(AccessCommandLine(), "\"" + kRuntimeExe + "\" /runtime \"C:\\Data\\Stock.mdb\"");
    }
}

TEST_F(LaunchUnderWine, CaptureThenRestoreRoundTripsThroughTheHiddenFile) {
    e2e::RegSetString(kCurVerKey, "", "Access.Application.12");
    e2e::RegSetString(kLibKey, "", "C:\\Office 12\\MSACC.OLB");
    e2e::RegSetString("HKLM\\SOFTWARE\\Microsoft\\Office\\Common", "LastAccessInstall", "");
    e2e::RegSetDword("HKLM\\SOFTWARE\\Microsoft\\Office\\Common", "LastAccessInstall", 11);
    const fs::path file = e2e::TempFolder().unix / "~QDReg.dat";

    e2e::ScenarioResult capture = Launch("-LOGGING -CAPTURE");
    EXPECT_TRUE(capture.dialogs.empty());
    EXPECT_EQ(LogSection(), (Lines{"Lanvik_2003 version: 2.1.0.41", "-capture", "Exiting Lanvik"}));
    ASSERT_TRUE(fs::exists(file));
    const std::string sealed = e2e::ReadFile(file);
    EXPECT_EQ(sealed.size() % 8, 0u);
    EXPECT_EQ(sealed.find("Access.Application"), std::string::npos) << "ciphertext only";
    e2e::ProcessResult attrib =
        e2e::RunWine({"cmd", "/c", "attrib", e2e::TempFolder().windows + "\\~QDReg.dat"});
    EXPECT_NE(attrib.out.substr(0, attrib.out.find('C')).find('H'), std::string::npos)
        << attrib.out;
    EXPECT_EQ(AccessCommandLine(), "<not started>");

    e2e::RegSetString(kCurVerKey, "", "Access.Application.11");
    e2e::RegSetString(kLibKey, "", "C:\\Elsewhere\\MSACC.OLB");
    e2e::RegSetDword("HKLM\\SOFTWARE\\Microsoft\\Office\\Common", "LastAccessInstall", 12);
    fs::remove(logFile_);
    e2e::ScenarioResult restore = Launch("-LOGGING -RESTORE");
    EXPECT_TRUE(restore.dialogs.empty());
    EXPECT_EQ(LogSection(), (Lines{"Lanvik_2003 version: 2.1.0.41", "-restore", "Exiting Lanvik"}));
    EXPECT_FALSE(fs::exists(file));
    EXPECT_EQ(Value(kCurVerKey, ""), "Access.Application.12");
    EXPECT_EQ(Value(kLibKey, ""), "C:\\Office 12\\MSACC.OLB");
    EXPECT_EQ(e2e::RegQuery("HKLM\\SOFTWARE\\Microsoft\\Office\\Common", "LastAccessInstall"),
              e2e::RegValue::Dword(11));
}

TEST_F(LaunchUnderWine, OpenKeysRunsTheRepairProgramWithAndWithoutProgress) {
    const std::string key = "SOFTWARE\\Classes\\Access.Application\\CurVer";
    for (const char* options : {"-LOGGING -OPENKEYS", "-LOGGING -OPENKEYS -NOPROGRESS"}) {
        SCOPED_TRACE(options);
        SetUp();
        e2e::RegSetString(kCurVerKey, "", "Access.Application.11");
        // Only the system may touch the key.
        e2e::ProcessResult set = e2e::RunWine(
            {e2e::TestingBinary("key_security.exe").string(), "set", key, "D:P(A;;KA;;;SY)"});
        ASSERT_EQ(set.exit_code, 0) << set.out << set.err;

        e2e::ScenarioResult result = Launch(options);
        EXPECT_TRUE(result.dialogs.empty());
        EXPECT_EQ(LogSection(),
                  (Lines{"Lanvik_2003 version: 2.1.0.41", "-openkeys", "Exiting Lanvik"}));
        e2e::ProcessResult get =
            e2e::RunWine({e2e::TestingBinary("key_security.exe").string(), "get", key});
        EXPECT_NE(get.out.find(";KA;;;BU)"), std::string::npos) << get.out;
        EXPECT_FALSE(fs::exists(e2e::TempFolder().unix / "LanvikPermissions.exe"));
        EXPECT_EQ(AccessCommandLine(), "<not started>");
    }
}

TEST_F(LaunchUnderWine, NoAccessInstalledShowsTheWarningAndChangesNothing) {
    const auto before = ReadWatched();
    e2e::ScenarioResult result = Launch("-LOGGING \"C:\\Data\\Stock.mdb\"", {"OK"});
    ASSERT_EQ(result.dialogs.size(), 1u);
    EXPECT_EQ(result.dialogs[0].title, "Lanvik Warning");
    EXPECT_EQ(result.dialogs[0].text,
              "Unable to find the Access 2003 runtime.\nThe most likely cause is that the 2003 "
              "Runtime installer failed to install properly.");
    EXPECT_EQ(result.dialogs[0].buttons, (std::vector<std::string>{"OK"}));
    EXPECT_TRUE(result.dialogs[0].icon);
    EXPECT_EQ(LogSection(),
              (Discovery({}, "") + Lines{"Don't have runtime, so trying full version"}));
    EXPECT_EQ(ReadWatched(), before);
    EXPECT_FALSE(e2e::RegReadTree("HKCU\\Software\\Microsoft\\Shared Tools"));
}

}  // namespace

// The harness tests itself against harness_probe.exe, a program that shows the boxes, prints
// the command line and exits or hangs as its command line asks.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

#include "e2e/harness.h"

namespace {

using namespace std::chrono_literals;
using e2e::Dialog;
using e2e::RegValue;

std::string Probe() {
    return e2e::QuoteIfNeeded(e2e::WindowsPath(e2e::TestingBinary("harness_probe.exe")));
}

std::string Box(std::string_view title, std::string_view text, unsigned type) {
    return " /box=" + e2e::ToHex(title) + "," + e2e::ToHex(text) + "," + std::to_string(type);
}

// The value of "NAME=<hex>" in the probe's output, decoded.
std::string Reported(const std::string& out, const std::string& name) {
    size_t at = out.find(name + "=");
    if (at == std::string::npos) return "<" + name + " not reported>";
    size_t start = at + name.size() + 1, end = out.find('\n', start);
    std::string hex = out.substr(start, end - start), bytes;
    for (size_t i = 0; i + 1 < hex.size(); i += 2)
        bytes += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
    return bytes;
}

TEST(Harness, RecordsEachBoxExactlyAndPressesTheScriptedButtons) {
    e2e::Scenario scenario;
    scenario.command_line = Probe() + Box("Lanvik", "Invalid Command line", 0x30) +
                            Box("Domanda \xE8?", "Continuare?\nRiga due", 0x24) + " /exit=7";
    scenario.answers = {"OK", "NO"};
    e2e::ScenarioResult result = e2e::RunScenario(scenario);

    ASSERT_FALSE(result.timed_out);
    EXPECT_EQ(result.exit_code, 7);
    ASSERT_EQ(result.dialogs.size(), 2u);
    const Dialog& first = result.dialogs[0];
    EXPECT_EQ(first.title, "Lanvik");
    EXPECT_EQ(first.text, "Invalid Command line");
    EXPECT_TRUE(first.icon);
    EXPECT_EQ(first.icon_kind, "exclamation");
    EXPECT_EQ(first.buttons, (std::vector<std::string>{"OK"}));
    EXPECT_EQ(first.pressed, "OK");
    EXPECT_TRUE(first.scripted);
    EXPECT_FALSE(first.mismatch);
    EXPECT_NE(first.style & 0x10000000u, 0u) << "WS_VISIBLE";
    const Dialog& second = result.dialogs[1];
    // MessageBoxA reads the ANSI code page (1252); the driver reports what is shown, in UTF-8.
    EXPECT_EQ(second.title, "Domanda è?");
    EXPECT_EQ(second.text, "Continuare?\nRiga due");
    EXPECT_EQ(second.icon_kind, "question");
    EXPECT_EQ(second.buttons, (std::vector<std::string>{"YES", "NO"}));
    EXPECT_EQ(second.pressed, "NO");
    // What MessageBoxA returned to the program: IDOK, then IDNO.
    EXPECT_NE(result.out.find("BOX=1\nBOX=7\n"), std::string::npos) << result.out;
}

TEST(Harness, ClosesUnscriptedBoxesAndReportsThem) {
    e2e::Scenario scenario;
    scenario.command_line = Probe() + Box("A", "no icon", 0x0) + Box("B", "ok cancel", 0x1) +
                            Box("C", "yes no", 0x4) + Box("D", "yes no cancel", 0x3);
    scenario.answers = {"YES"};  // not a button of the first box
    scenario.timeout = 15s;
    auto start = std::chrono::steady_clock::now();
    e2e::ScenarioResult result = e2e::RunScenario(scenario);
    auto took = std::chrono::steady_clock::now() - start;

    ASSERT_FALSE(result.timed_out);
    EXPECT_EQ(result.exit_code, 0);
    ASSERT_EQ(result.dialogs.size(), 4u);
    struct Expected {
        const char* title;
        bool icon;
        std::vector<std::string> buttons;
        const char* pressed;
        bool mismatch;
    };
    const Expected expected[] = {
        {"A", false, {"OK"}, "OK", true},
        {"B", false, {"OK", "CANCEL"}, "CANCEL", false},
        {"C", false, {"YES", "NO"}, "NO", false},
        {"D", false, {"YES", "NO", "CANCEL"}, "CANCEL", false},
    };
    for (size_t i = 0; i < 4; ++i) {
        SCOPED_TRACE(expected[i].title);
        const Dialog& d = result.dialogs[i];
        EXPECT_EQ(d.title, expected[i].title);
        EXPECT_EQ(d.icon, expected[i].icon);
        EXPECT_EQ(d.buttons, expected[i].buttons);
        EXPECT_EQ(d.pressed, expected[i].pressed);
        EXPECT_FALSE(d.scripted);
        EXPECT_EQ(d.mismatch, expected[i].mismatch);
    }
    EXPECT_NE(result.out.find("BOX=1\nBOX=2\nBOX=7\nBOX=2\n"), std::string::npos) << result.out;
    EXPECT_LT(took, 10s);
}

TEST(Harness, TellsTheStandardIconsApart) {
    struct Case {
        unsigned type;
        bool icon;
        const char* kind;
    };
    const Case cases[] = {{0x00, false, "none"},
                          {0x10, true, "error"},
                          {0x20, true, "question"},
                          {0x30, true, "exclamation"},
                          {0x40, true, "information"}};
    e2e::Scenario scenario;
    scenario.command_line = Probe();
    for (const Case& c : cases) scenario.command_line += Box("Icon", "kind", c.type);
    e2e::ScenarioResult result = e2e::RunScenario(scenario);
    ASSERT_EQ(result.dialogs.size(), std::size(cases));
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(cases[i].kind);
        EXPECT_EQ(result.dialogs[i].icon, cases[i].icon);
        EXPECT_EQ(result.dialogs[i].icon_kind, cases[i].kind);
    }
}

TEST(Harness, HandsOverTheExactCommandLine) {
    struct Case {
        const char* name;
        std::string tail;
    };
    const Case cases[] = {
        {"plain", " -LOGGING"},
        {"nothing after the program", ""},
        {"quotes", " -A \"two words\" \"open"},
        {"tab", " -A\t-B"},
        {"trailing blanks", " -A  "},
        {"escaped quote and backslashes", " \"C:\\dir\\\\\" \\\"x\\\""},
        {"equals and percent", " -WAIT=%TEMP% -X=1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        e2e::Scenario scenario;
        scenario.command_line = Probe() + c.tail;
        e2e::ScenarioResult result = e2e::RunScenario(scenario);
        EXPECT_EQ(Reported(result.out, "CMDLINE"), scenario.command_line);
        EXPECT_EQ(result.exit_code, 0);
        EXPECT_TRUE(result.dialogs.empty());
    }
}

TEST(Harness, RunsInTheGivenFolderAndCapturesBothStreams) {
    e2e::Scenario scenario;
    scenario.command_line =
        Probe() + " /out=" + e2e::ToHex("to stdout\r\n") + " /err=" + e2e::ToHex("to stderr");
    scenario.directory = e2e::TempFolder().windows;
    e2e::ScenarioResult result = e2e::RunScenario(scenario);
    EXPECT_EQ(Reported(result.out, "CWD"), e2e::TempFolder().windows);
    EXPECT_NE(result.out.find("to stdout\r\n"), std::string::npos) << result.out;
    EXPECT_EQ(result.err, "to stderr");
    EXPECT_EQ(result.out.find("@@dialog_driver"), std::string::npos);
}

TEST(Harness, CapturesWhatAScriptEchoesAndTheBoxesItShows) {
    e2e::Folder temp = e2e::TempFolder();
    e2e::WriteFile(temp.unix / "harness_box.vbs",
                   "WScript.Echo \"before\"\r\n"
                   "r = MsgBox(\"Delete?\", 36, \"Script box\")\r\n"
                   "WScript.Echo \"answer \" & r\r\n"
                   "WScript.Quit 5\r\n");
    e2e::Scenario scenario;
    scenario.command_line = "cscript //nologo " + temp.windows + "\\harness_box.vbs";
    scenario.answers = {"YES"};
    e2e::ScenarioResult result = e2e::RunScenario(scenario);
    EXPECT_EQ(result.exit_code, 5);
    ASSERT_EQ(result.dialogs.size(), 1u);
    EXPECT_EQ(result.dialogs[0].title, "Script box");
    EXPECT_EQ(result.dialogs[0].text, "Delete?");
    EXPECT_EQ(result.dialogs[0].icon_kind, "question");
    EXPECT_EQ(result.out, "before\r\nanswer 6\r\n");
}

TEST(Harness, EndsAHungProgramWithinItsBound) {
    e2e::Scenario scenario;
    scenario.command_line = Probe() + " /hang";
    scenario.timeout = 1500ms;
    auto start = std::chrono::steady_clock::now();
    e2e::ScenarioResult result = e2e::RunScenario(scenario);
    auto took = std::chrono::steady_clock::now() - start;
    EXPECT_TRUE(result.timed_out);
    EXPECT_GE(took, 1500ms);
    EXPECT_LT(took, 6s);

    // The same bound when wine64 runs the program directly.
    e2e::ProcessOptions options;
    options.timeout = 2s;
    start = std::chrono::steady_clock::now();
    e2e::ProcessResult run =
        e2e::RunWine({e2e::TestingBinary("harness_probe.exe").string(), "/hang"}, options);
    took = std::chrono::steady_clock::now() - start;
    EXPECT_TRUE(run.timed_out);
    EXPECT_LT(took, 4s);
    EXPECT_EQ(Reported(run.out, "CMDLINE").find("/hang") != std::string::npos, true) << run.out;
}

TEST(Harness, RunsWineProgramsWithTheirExitCode) {
    e2e::ProcessResult run =
        e2e::RunWine({e2e::TestingBinary("harness_probe.exe").string(), "/exit=42"});
    EXPECT_FALSE(run.timed_out);
    EXPECT_EQ(run.exit_code, 42);
}

TEST(Harness, RegistryValuesRoundTripExactly) {
    const std::string root = "HKCU\\Software\\KitHarnessTest";
    e2e::RegDeleteKey(root);
    const e2e::RegTree tree = {
        {"",
         {{"", RegValue::String("default")},
          {"Text", RegValue::String("a\tb \"quoted\" C:\\dir\\ \r\nè€")},
          {"Empty", RegValue::String("")},
          {"Path", RegValue::ExpandString("%TEMP%\\x")},
          {"Count", RegValue::Dword(0xFFFFFFFEu)},
          {"Big", RegValue::Qword(0x0102030405060708ull)},
          {"List", RegValue::MultiString({"one", "two words"})},
          {"Blob", RegValue::Binary(std::vector<std::uint8_t>(40, 0xAB))}}},
        {"Sub\\Deeper", {{"Port", RegValue::Dword(3)}}},
    };
    e2e::RegWriteTree(root, tree);

    std::optional<e2e::RegTree> read = e2e::RegReadTree(root);
    ASSERT_TRUE(read.has_value());
    // Intermediate keys appear with no values.
    e2e::RegTree expected = tree;
    expected["Sub"];
    EXPECT_EQ(*read, expected);

    e2e::RegSetString(root, "Text", "replaced");
    e2e::RegSetDword(root + "\\Sub", "Flag", 1);
    EXPECT_EQ(e2e::RegQuery(root, "text"), RegValue::String("replaced"));
    EXPECT_EQ(e2e::RegQuery(root + "\\Sub", "Flag"), RegValue::Dword(1));
    EXPECT_EQ(e2e::RegQuery(root, "Missing"), std::nullopt);

    e2e::RegDeleteValue(root, "Count");
    EXPECT_EQ(e2e::RegQuery(root, "Count"), std::nullopt);
    e2e::RegDeleteKey(root);
    EXPECT_EQ(e2e::RegReadTree(root), std::nullopt);
    EXPECT_EQ(e2e::RegQuery(root, "Text"), std::nullopt);
}

TEST(Harness, MapsPathsBetweenWindowsAndTheHost) {
    e2e::Folder desktop = e2e::DesktopFolder();
    EXPECT_EQ(desktop.windows, "C:\\users\\" + e2e::Wine().user + "\\Desktop");
    EXPECT_TRUE(std::filesystem::is_directory(desktop.unix));
    EXPECT_FALSE(std::filesystem::is_symlink(desktop.unix)) << "must not lead into a home folder";
    EXPECT_EQ(e2e::WindowsPath(desktop.unix), desktop.windows);
    EXPECT_EQ(e2e::UnixPath("c:\\USERS\\" + e2e::Wine().user + "\\desktop"), desktop.unix);
    EXPECT_EQ(e2e::WindowsPath("/tmp/a b"), "Z:\\tmp\\a b");

    std::string copied =
        e2e::CopyIntoPrefix(e2e::TestingBinary("harness_probe.exe"), "C:\\kit test");
    EXPECT_EQ(copied, "C:\\kit test\\harness_probe.exe");
    e2e::Scenario scenario;
    scenario.command_line = "\"" + copied + "\" /exit=3";
    EXPECT_EQ(e2e::RunScenario(scenario).exit_code, 3);
}

}  // namespace

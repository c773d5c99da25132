// The terminal control under Wine with the stand-in "VXTerm.ctlVXTerm" registered: the control's
// contract suite against the Windows implementation (with the forms' hidden windows), and Upload1
// of both builds that carry the forms, driven by VBScript: what reaches the control (members,
// argument types), what the user sees and what the script gets.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "e2e/harness.h"
#include "e2e/registered_dll.h"

namespace {

using namespace std::chrono_literals;

const char kInstallFolder[] = "C:\\Programmi\\Murello";
const char kTerminalFolder[] = "C:\\vxterm";
const std::string kUploadContent = "UTENTI;1;Rossi\r\nGIACENZE;ART1;3\r\n";

struct Build {
    std::string dll;
    std::string progId;
    std::string uploadFile;
};
const Build kMurello11500{"Murello11500", "Murello11500.Murello", "C:\\_Letture\\file_up.tmp"};
const Build kMurello113{"Murello113", "Murello113.Murello", "C:\\file_up.tmp"};

using Registered = e2e::RegisteredDll;

std::string StandInControl() {
    return e2e::CopyIntoPrefix(e2e::TestingBinary("vxterm_standin.dll"), kInstallFolder);
}

TEST(ReaderTerminal, TheControlContractPassesAgainstTheRegisteredControl) {
    Registered control(StandInControl());
    e2e::ProcessOptions options;
    options.timeout = 120s;
    const e2e::ProcessResult result = e2e::RunWine(
        {e2e::TestingBinary("reader_terminal_contract.exe").string(), "--gtest_color=no"}, options);
    ASSERT_FALSE(result.timed_out) << result.out << result.err;
    EXPECT_EQ(0, result.exit_code) << result.out << result.err;
    EXPECT_NE(std::string::npos, result.out.find("[  PASSED  ] 6 tests")) << result.out;
}

// One call of `member` (Upload1, or an import that loads ScaricaVX) from a VBScript against a
// terminal set up by `script` (the stand-in's script.txt).
struct Upload {
    e2e::ScenarioResult result;
    std::vector<std::string> calls;  // the stand-in's call log
    std::string echoed;              // Err.Number|Err.Description|TypeName of the result
    bool sent = false;
    std::string sentBytes;
};

Upload RunUpload(const Build& build, const std::string& script, bool withFile = true,
                 const std::string& member = "Upload1") {
    const std::filesystem::path terminal = e2e::UnixPath(kTerminalFolder);
    std::filesystem::remove_all(terminal);
    std::filesystem::create_directories(terminal);
    e2e::WriteFile(terminal / "script.txt", script);
    const std::filesystem::path upload = e2e::UnixPath(build.uploadFile);
    std::filesystem::create_directories(upload.parent_path());
    std::filesystem::remove(upload);
    if (withFile) e2e::WriteFile(upload, kUploadContent);
    const e2e::Folder temp = e2e::TempFolder();
    e2e::WriteFile(
        temp.unix / "upload.vbs",
        "Set o = CreateObject(\"" + build.progId +
            "\")\r\n"
            "On Error Resume Next\r\n"
            "o.DbPath = \"C:\\nessuno.db\"\r\nr = o." +
            member +
            "\r\n"
            "WScript.Echo Err.Number & \"|\" & Err.Description & \"|\" & TypeName(r)\r\n");
    e2e::Scenario scenario;
    scenario.command_line =
        "C:\\windows\\system32\\cscript.exe //nologo " + temp.windows + "\\upload.vbs";
    scenario.env = {std::string("VXTERM_STANDIN_DIR=") + kTerminalFolder};
    scenario.answers = {"OK"};
    scenario.timeout = 60s;

    Upload upload_;
    upload_.result = e2e::RunScenario(scenario);
    EXPECT_FALSE(upload_.result.timed_out) << upload_.result.out << upload_.result.err;
    std::istringstream out(upload_.result.out);
    std::getline(out, upload_.echoed);
    if (!upload_.echoed.empty() && upload_.echoed.back() == '\r') upload_.echoed.pop_back();
    if (std::filesystem::exists(terminal / "calls.log")) {
        std::istringstream log(e2e::ReadFile(terminal / "calls.log"));
        for (std::string line; std::getline(log, line);) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            upload_.calls.push_back(line);
        }
    }
    upload_.sent = std::filesystem::exists(terminal / "sent.txt");
    if (upload_.sent) upload_.sentBytes = e2e::ReadFile(terminal / "sent.txt");
    std::filesystem::remove_all(terminal);
    std::filesystem::remove(upload);
    std::error_code notEmpty;  // a folder that holds more than the test put there stays
    std::filesystem::remove(upload.parent_path(), notEmpty);
    return upload_;
}

struct UploadCase {
    const char* name;
    const Build* build;
    std::string script;
    std::vector<std::string> calls;
    std::string box;     // "title|text" of the one critical box, or empty for none
    std::string echoed;  // what the script saw
    bool sent;
};

const std::string kSendByReference =
    "InviaFile method VT_BSTR|VT_BYREF \"C:\\_Letture\\file_up.tmp\"";
const std::string kSendByValue = "InviaFile method VT_BSTR \"C:\\file_up.tmp\"";

TEST(ReaderTerminal, Upload1SendsTheUploadFileThroughTheControl) {
    const UploadCase cases[] = {
        {"Murello11500 sends C:\\_Letture\\file_up.tmp by reference",
         &kMurello11500,
         "",
         {"create IDispatch", "InErrore get", kSendByReference, "release"},
         "",
         "0||Empty",
         true},
        {"a control offering IOleObject gets a client site on the hidden form",
         &kMurello11500,
         "IOleObject=1\n",
         {"create IDispatch+IOleObject", "SetClientSite window \"Collegamento\" hidden",
          "InErrore get", kSendByReference, "Close", "SetClientSite none", "release window alive"},
         "",
         "0||Empty",
         true},
        {"InErrore: Chiudi, nothing sent, no message",
         &kMurello11500,
         "InErrore=1\n",
         {"create IDispatch", "InErrore get", "Chiudi method", "release"},
         "",
         "0||Empty",
         false},
        {"a control error shows its number (wCode) and description",
         &kMurello11500,
         "fail=InviaFile 1234 Terminale non collegato\n",
         {"create IDispatch", "InErrore get", kSendByReference + " -> error 1234", "release"},
         "1234|Terminale non collegato",
         "0||Empty",
         false},
        {"a control error given by scode keeps the run-time number",
         &kMurello11500,
         "fail-scode=InErrore 800A0035 File mancante sul terminale\n",
         {"create IDispatch", "InErrore get -> error -2146828235", "release"},
         "53|File mancante sul terminale",
         "0||Empty",
         false},
        {"Murello113 sends C:\\file_up.tmp by value",
         &kMurello113,
         "",
         {"create IDispatch", "InErrore get", kSendByValue, "release"},
         "",
         "0||Empty",
         true},
        {"Murello113: InErrore calls Chiudi",
         &kMurello113,
         "InErrore=1\n",
         {"create IDispatch", "InErrore get", "Chiudi method", "release"},
         "",
         "0||Empty",
         false},
        {"Murello113 raises the control's error to the script",
         &kMurello113,
         "IOleObject=1\nfail=InviaFile 1234 Terminale non collegato\n",
         {"create IDispatch+IOleObject", "SetClientSite window \"Collegamento\" hidden",
          "InErrore get", kSendByValue + " -> error 1234", "Close", "SetClientSite none",
          "release window alive"},
         "",
         "1234|Terminale non collegato|Empty",
         false},
    };
    Registered control(StandInControl());
    for (const Build* build : {&kMurello11500, &kMurello113}) {
        Registered component(
            e2e::CopyIntoPrefix(e2e::Win64Binary(build->dll + ".dll"), kInstallFolder));
        for (const UploadCase& c : cases) {
            if (c.build != build) continue;
            SCOPED_TRACE(c.name);
            const Upload upload = RunUpload(*build, c.script);
            EXPECT_EQ(upload.calls, c.calls);
            EXPECT_EQ(upload.echoed, c.echoed) << upload.result.out << upload.result.err;
            EXPECT_EQ(upload.sent, c.sent);
            EXPECT_EQ(upload.sentBytes, c.sent ? kUploadContent : "");
            ASSERT_EQ(upload.result.dialogs.size(), c.box.empty() ? 0u : 1u);
            if (c.box.empty()) continue;
            const e2e::Dialog& box = upload.result.dialogs[0];
            EXPECT_EQ(box.title + "|" + box.text, c.box);
            EXPECT_EQ(box.icon_kind, "error");
            EXPECT_EQ(box.buttons, std::vector<std::string>{"OK"});
        }
    }
}

TEST(ReaderTerminal, Upload1WithoutTheFileStillCallsInviaFile) {
    Registered control(StandInControl());
    Registered component(e2e::CopyIntoPrefix(e2e::Win64Binary("Murello11500.dll"), kInstallFolder));
    const Upload upload = RunUpload(kMurello11500, "", false);
    EXPECT_EQ(upload.calls, (std::vector<std::string>{"create IDispatch", "InErrore get",
                                                      kSendByReference, "release"}));
    EXPECT_TRUE(upload.result.dialogs.empty());
    EXPECT_FALSE(upload.sent);
}

TEST(ReaderTerminal, Upload1WithoutARegisteredControlFailsWith429) {
    for (const Build* build : {&kMurello11500, &kMurello113}) {
        SCOPED_TRACE(build->dll);
        Registered component(
            e2e::CopyIntoPrefix(e2e::Win64Binary(build->dll + ".dll"), kInstallFolder));
        const Upload upload = RunUpload(*build, "");
        EXPECT_TRUE(upload.calls.empty());
        const bool full = build == &kMurello11500;
        EXPECT_EQ(upload.echoed,
                  full ? "0||Empty" : "429|ActiveX component can't create object|Empty");
        ASSERT_EQ(upload.result.dialogs.size(), full ? 1u : 0u);
        if (!full) continue;
        EXPECT_EQ(upload.result.dialogs[0].title, "429");
        EXPECT_EQ(upload.result.dialogs[0].text, "ActiveX component can't create object");
        EXPECT_EQ(upload.result.dialogs[0].icon_kind, "error");
    }
}

// ScaricaVX, loaded by Scarica3: the same control, receiving into the import's file.
TEST(ReaderTerminal, ScaricaVXReceivesThroughTheControlForTheImports) {
    const std::string received11500 =
        "RiceviFile method VT_BSTR \"C:\\_Letture\\Rimesse_OF_yyyymmdd-hhnnss.tmp\" "
        "VT_I2|VT_BYREF 1";
    const std::string received113 =
        "RiceviFile method VT_BSTR \"C:\\TEMPFOX.TMP\" VT_I2|VT_BYREF 1";
    const UploadCase cases[] = {
        {"InErrore: Chiudi, no file, no message, on the hidden form",
         &kMurello11500,
         "IOleObject=1\nInErrore=1\n",
         {"create IDispatch+IOleObject", "SetClientSite window \"Collegamento\" hidden",
          "InErrore get", "Chiudi method", "Close", "SetClientSite none", "release window alive"},
         "",
         "0||Empty",
         false},
        {"a control error shows its number and description; nothing is imported",
         &kMurello11500,
         "fail=RiceviFile 1234 Terminale non collegato\n",
         {"create IDispatch", "InErrore get", received11500 + " -> error 1234", "release"},
         "1234|Terminale non collegato",
         "0||Empty",
         false},
        {"Murello113: InErrore calls Chiudi",
         &kMurello113,
         "InErrore=1\n",
         {"create IDispatch", "InErrore get", "Chiudi method", "release"},
         "",
         "0||Empty",
         false},
        {"Murello113 raises the control's error to the script",
         &kMurello113,
         "fail=RiceviFile 1234 Terminale non collegato\n",
         {"create IDispatch", "InErrore get", received113 + " -> error 1234", "release"},
         "",
         "1234|Terminale non collegato|Empty",
         false},
    };
    Registered control(StandInControl());
    for (const Build* build : {&kMurello11500, &kMurello113}) {
        Registered component(
            e2e::CopyIntoPrefix(e2e::Win64Binary(build->dll + ".dll"), kInstallFolder));
        for (const UploadCase& c : cases) {
            if (c.build != build) continue;
            SCOPED_TRACE(c.name);
            Upload scarica = RunUpload(*build, c.script, false, "Scarica3");
            // The received file's name carries the time of the call.
            for (std::string& line : scarica.calls) {
                const auto stamp = line.find("Rimesse_OF_");
                if (stamp != std::string::npos) line.replace(stamp + 11, 15, "yyyymmdd-hhnnss");
            }
            EXPECT_EQ(scarica.calls, c.calls);
            EXPECT_EQ(scarica.echoed, c.echoed) << scarica.result.out << scarica.result.err;
            ASSERT_EQ(scarica.result.dialogs.size(), c.box.empty() ? 0u : 1u);
            if (c.box.empty()) continue;
            const e2e::Dialog& box = scarica.result.dialogs[0];
            EXPECT_EQ(box.title + "|" + box.text, c.box);
            EXPECT_EQ(box.icon_kind, "error");
        }
    }
    std::error_code notEmpty;
    std::filesystem::remove(e2e::UnixPath("C:\\_Letture"), notEmpty);
}

}  // namespace

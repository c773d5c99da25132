// Every example of the documentation runs here, so the pages cannot drift from the component.
// docs/**/*.md mark examples as fenced blocks "vb example:NAME" (late-bound, VBScript-compatible
// VBA) or "vb early:NAME" (early-bound VBA, rewritten here into its late-bound equivalent), each
// followed by a block "text output:NAME" with what its Debug.Print lines print. Each example runs
// through cscript under Wine against the four registered builds, with the device and database
// that kExamples gives it; the boxes the user sees and the rows stored are checked too. An
// example whose member is not carried out yet is skipped, and the skip names what it waits for.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <memory>
#include <regex>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "e2e/harness.h"
#include "e2e/sqlite_file.h"
#include "docs_example_table.h"
#include "simulated_pen.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// ---------------------------------------------------------------------------------------------
// The examples of the pages

struct DocBlock {
    std::string page;
    bool early = false;
    std::string code;
    std::string output;
    bool hasOutput = false;
};

std::map<std::string, DocBlock> ReadDocs() {
    std::map<std::string, DocBlock> blocks;
    for (const auto& entry : fs::recursive_directory_iterator(fs::path(KIT_SOURCE_DIR) / "docs")) {
        if (entry.path().extension() != ".md") continue;
        std::ifstream in(entry.path());
        std::string line;
        std::string* target = nullptr;
        while (std::getline(in, line)) {
            if (target) {
                if (line == "```") {
                    target = nullptr;
                } else {
                    *target += line + "\n";
                }
                continue;
            }
            static const std::regex kFence(R"(```(vb example|vb early|text output):(\S+)\s*)");
            std::smatch match;
            if (!std::regex_match(line, match, kFence)) continue;
            DocBlock& block = blocks[match[2]];
            block.page = entry.path().filename().string();
            if (match[1] == "text output") {
                block.hasOutput = true;
                target = &block.output;
            } else {
                block.early = match[1] == "vb early";
                target = &block.code;
            }
        }
    }
    return blocks;
}

// Early-bound VBA as late-bound VBScript: classes by ProgID, declarations without types.
std::string LateBound(const std::string& code) {
    static const std::regex kDimNew(R"(Dim (\w+) As New (\w+\.\w+))");
    static const std::regex kSetNew(R"(Set (\w+) = New (\w+\.\w+))");
    static const std::regex kDimAs(R"((Dim \w+) As [\w.]+)");
    std::string out = std::regex_replace(code, kDimNew, "Dim $1\nSet $1 = CreateObject(\"$2\")");
    out = std::regex_replace(out, kSetNew, "Set $1 = CreateObject(\"$2\")");
    return std::regex_replace(out, kDimAs, "$1");
}

// What VBA offers that VBScript lacks: the Immediate window and the type library's constants.
const char kPrelude[] =
    "Class ImmediateWindow\n"
    "    Public Sub Print(text)\n"
    "        WScript.Echo text\n"
    "    End Sub\n"
    "End Class\n"
    "Dim Debug\n"
    "Set Debug = New ImmediateWindow\n"
    "Const COM1 = 1, COM2 = 2, COM3 = 3, COM4 = 4, COM5 = 5, COM6 = 6, COM7 = 7, COM8 = 8\n"
    "Const B115200 = 1, B57600 = 2, B38400 = 3, B19200 = 4, B9600 = 5\n"
    "Const Sovrascrivi = 1, Accoda = 2, Rinomina = 3, Auto = 4\n";

std::string WindowsLines(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}

std::string WithoutCarriageReturns(std::string text) {
    std::erase(text, '\r');
    return text;
}

// ---------------------------------------------------------------------------------------------
// The Wine prefix for one example

// A DLL registered from a folder of the prefix while the example runs.
class Registered {
  public:
    explicit Registered(const fs::path& dll) : dll_(e2e::CopyIntoPrefix(dll, kInstallFolder)) {
        const e2e::ProcessResult result = e2e::Regsvr32(dll_);
        EXPECT_EQ(result.exit_code, 0) << "regsvr32 " << dll_ << ": " << result.err;
    }
    ~Registered() { e2e::Regsvr32(dll_, true); }
    Registered(const Registered&) = delete;
    Registered& operator=(const Registered&) = delete;

  private:
    std::string dll_;
};

// The build whose ProgID the example creates.
fs::path BuildOf(const std::string& code) {
    static const std::regex kLibrary(R"((Murello11500|Murello113|ZaradEdadod11[01])\.Murello)");
    std::smatch match;
    if (!std::regex_search(code, match, kLibrary)) throw std::runtime_error("no ProgID");
    std::string build = match[1];
    if (build.starts_with("ZaradEdadod")) build = "Murello" + build.substr(11);
    return e2e::Win64Binary(build + ".dll");
}

// Everything an example may leave in the prefix, removed before and after it.
void Clean() {
    const fs::path c = e2e::Wine().prefix / "drive_c";
    for (const char* path : {"App", "vxterm", "_Letture", "TEMPFOX.TMP", "file_up.tmp"}) {
        fs::remove_all(c / path);
    }
    for (const char* file :
         {"IrLib.dll", "IrLib.log", "IR_Read.exe", "IR_Read.result", "IR_Read.calls"}) {
        fs::remove(e2e::UnixPath(std::string(kInstallFolder) + "\\" + file));
    }
}

class DocsExamples : public testing::TestWithParam<Example> {
  protected:
    void SetUp() override {
        Clean();
        fs::create_directories(e2e::Wine().prefix / "drive_c" / "App");
        Sql("CREATE TABLE Murello (Codart TEXT, [id sottoOrd] INTEGER, "
            "IdLotto INTEGER, \"Quantit\xC3\xA0\" REAL, Data, Rep INTEGER, NColli TEXT, "
            "Lotto_Codice TEXT, Lotto_Scadenza, SSCC TEXT)");
        Sql("CREATE TABLE Murello_RimesseOF (IdUt INTEGER, IdSottoORd INTEGER, \"Qt\xC3\xA0\" "
            "REAL, NDoc TEXT, DataDoc)");
    }
    void TearDown() override {
        e2e::UnlinkComPort(1);
        Clean();
    }

    static fs::path Database() { return e2e::UnixPath(GetParam().database); }

    void Sql(const std::string& statement) { e2e::SqlExec(Database(), statement); }

    std::vector<std::string> Rows(const std::string& query) {
        return e2e::SqlRows(Database(), query);
    }

    // The folder's file names, sorted, one a line.
    static std::string Names(const std::string& folder) {
        std::vector<std::string> names;
        const fs::path unix = e2e::UnixPath(folder);
        if (fs::is_directory(unix)) {
            for (const auto& entry : fs::directory_iterator(unix)) {
                names.push_back(entry.path().filename().string());
            }
        }
        std::sort(names.begin(), names.end());
        std::string joined;
        for (const std::string& name : names) joined += (joined.empty() ? "" : "\n") + name;
        return joined;
    }
};

TEST(DocsExamplesList, EveryExampleOfThePagesHasItsSettingAndItsOutput) {
    const std::map<std::string, DocBlock> docs = ReadDocs();
    std::vector<std::string> inDocs, inTable;
    for (const auto& [name, block] : docs) {
        inDocs.push_back(name);
        SCOPED_TRACE(block.page + ": " + name);
        EXPECT_FALSE(block.code.empty()) << "an output block without its example";
        EXPECT_TRUE(block.hasOutput) << "an example without its text output block";
    }
    for (const Example& example : kExamples) inTable.push_back(example.name);
    std::sort(inTable.begin(), inTable.end());
    EXPECT_EQ(inDocs, inTable) << "the pages' examples and kExamples differ";
}

TEST_P(DocsExamples, RunsAsThePageSays) {
    const Example& example = GetParam();
    const std::map<std::string, DocBlock> docs = ReadDocs();
    const auto found = docs.find(example.name);
    ASSERT_NE(found, docs.end()) << "no example " << example.name << " in docs/";
    const DocBlock& block = found->second;
    if (!example.onMain) {
        GTEST_SKIP() << block.page << ": example " << example.name << " not run yet: it needs "
                     << example.waitsFor << ", not on main yet";
    }
    for (const std::string& binary : example.needs) {
        if (!fs::exists(e2e::TestingBinDir() / binary)) {
            GTEST_SKIP() << block.page << ": example " << example.name << " not run yet: it needs "
                         << example.waitsFor << " (no " << binary << " in " << e2e::TestingBinDir()
                         << ")";
        }
    }
    SCOPED_TRACE(block.page + ": " + example.name);

    std::vector<std::unique_ptr<Registered>> registered;
    registered.push_back(std::make_unique<Registered>(BuildOf(block.code)));
    for (const std::string& binary : example.needs) {
        if (binary.ends_with(".dll") && binary != "IrLib.dll") {
            registered.push_back(std::make_unique<Registered>(e2e::TestingBinary(binary)));
        } else {
            e2e::CopyIntoPrefix(e2e::TestingBinary(binary), kInstallFolder);
        }
    }
    for (const auto& [path, content] : example.filesBefore) {
        const fs::path unix = e2e::UnixPath(path);
        fs::create_directories(unix.parent_path());
        e2e::WriteFile(unix, content);
    }
    standins::SimulatedPen pen;
    if (example.device != Device::None) {
        for (const std::string& record : example.pen) pen.AddRecord(record);
        e2e::LinkComPort(1, pen.TerminalPath());
        pen.Start();
    }
    const std::string code = block.early ? LateBound(block.code) : block.code;
    e2e::WriteFile(e2e::UnixPath("C:\\App\\example.vbs"),
                   WindowsLines(std::string(kPrelude) + code));
    e2e::Scenario scenario;
    scenario.command_line = "C:\\windows\\system32\\cscript.exe //nologo C:\\App\\example.vbs";
    scenario.answers.assign(example.boxes.size(), "OK");
    scenario.timeout = 60s;
    scenario.env = example.env;
    const e2e::ScenarioResult result = e2e::RunScenario(scenario);
    pen.Stop();

    EXPECT_FALSE(result.timed_out);
    EXPECT_EQ(result.exit_code, 0) << result.err;
    EXPECT_EQ(WithoutCarriageReturns(result.out), block.output) << result.err;
    std::string seen;
    for (const e2e::Dialog& dialog : result.dialogs)
        seen += dialog.title + ": " + dialog.text + "\n";
    ASSERT_EQ(result.dialogs.size(), example.boxes.size()) << seen;
    for (std::size_t i = 0; i < example.boxes.size(); ++i) {
        EXPECT_EQ(result.dialogs[i].title, example.boxes[i].title);
        EXPECT_EQ(result.dialogs[i].text, example.boxes[i].text);
    }
    EXPECT_EQ(Rows(example.rowsQuery), example.rows);
    for (const auto& [path, part] : example.filesAfter) {
        const fs::path unix = e2e::UnixPath(path);
        ASSERT_TRUE(fs::exists(unix)) << path;
        EXPECT_NE(e2e::ReadFile(unix).find(part), std::string::npos) << path;
    }
    for (const auto& [folder, names] : example.listings) {
        EXPECT_TRUE(std::regex_match(Names(folder), std::regex(names))) << Names(folder);
    }
}

INSTANTIATE_TEST_SUITE_P(Pages, DocsExamples, testing::ValuesIn(kExamples),
                         [](const testing::TestParamInfo<Example>& info) {
                             std::string name = info.param.name;
                             for (char& c : name) {
                                 if (c == '-') c = '_';
                             }
                             return name;
                         });

}  // namespace

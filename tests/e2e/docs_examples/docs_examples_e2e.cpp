// Every example of the documentation runs here, so the pages cannot drift from the component.
// docs/**/*.md mark examples as fenced blocks "vb example:NAME" (late-bound, VBScript-compatible
// VBA) or "vb early:NAME" (early-bound VBA, rewritten here into its late-bound equivalent), each
// followed by a block "text output:NAME" with what its Debug.Print lines print. Each example runs
// through cscript under Wine against the four registered builds, with the device and database
// that kExamples gives it; the boxes the user sees and the rows stored are checked too. An
// example whose member is not carried out yet is skipped, and the skip names what it waits for.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "e2e/harness.h"
#include "simulated_pen.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

enum class Device { None, Pen, SilentPen };

struct Box {
    std::string title;
    std::string text;
};

struct Example {
    std::string name;
    Device device = Device::None;
    std::vector<std::string> pen;   // the pen's records on COM1 (Device::Pen)
    std::vector<Box> boxes;         // what the user sees, in order
    std::vector<std::string> rows;  // table Murello of C:\App\letture.db afterwards
    std::string waitsFor;           // not empty: skipped, for this reason
};

const std::vector<std::string> kThreeReadings = {"A1;12;7;3", "B-22;1;2;0.5", "C3;100;200;12,25",
                                                 "EMPTY"};
const std::vector<std::string> kThreeRows = {"'A1',12,7,3.0", "'B-22',1,2,0.5",
                                             "'C3',100,200,12.25"};
const std::string kTerminal = "the terminal control stand-in (standins/vxterm) and the imports";
const std::string kInfrared = "the infrared link stand-in (standins/irlib) and Scarica1";
const std::string kProgram = "the reader program stand-in (standins/ir_read) and Scarica2";

void PrintTo(const Example& example, std::ostream* out) { *out << example.name; }

Example Plain(std::string name) {
    Example example;
    example.name = std::move(name);
    return example;
}
Example Waiting(std::string name, std::string reason) {
    Example example = Plain(std::move(name));
    example.waitsFor = std::move(reason);
    return example;
}
Example WithPen(std::string name, std::vector<std::string> records, std::vector<std::string> rows) {
    Example example = Plain(std::move(name));
    example.device = Device::Pen;
    example.pen = std::move(records);
    example.rows = std::move(rows);
    return example;
}
Example WithBoxes(std::string name, Device device, std::vector<Box> boxes) {
    Example example = Plain(std::move(name));
    example.device = device;
    example.boxes = std::move(boxes);
    return example;
}

const std::vector<Example> kExamples = {
    Plain("late-binding"),
    Plain("early-binding"),
    Plain("missing-member"),
    Waiting("raised-error", kProgram),
    WithPen("scarica", kThreeReadings, kThreeRows),
    WithBoxes("scarica-timeout", Device::SilentPen,
              {{"TimeOut Error",
                "Controllare il collegamento con la penna ottica e le "
                "impostazioni della porta seriale."}}),
    WithBoxes("scarica-no-database", Device::Pen,
              {{"Errore n. 3024", "Could not find file 'C:\\App\\manca.db'."}}),
    Waiting("scarica-rimesse-of", kTerminal),
    Waiting("scarica1", kInfrared),
    Waiting("scarica2", kProgram),
    Waiting("upload1", kTerminal),
    Waiting("m113-scarica4-error", kTerminal),
    WithPen("m111-scarica", kThreeReadings, kThreeRows),
    Waiting("m110-scarica1-code", kInfrared),
};

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
// The builds

const char kInstallFolder[] = "C:\\Programmi\\Lanvik";

// The build whose ProgID the example creates, registered while the example runs.
class Registered {
  public:
    explicit Registered(const std::string& code) {
        static const std::regex kLibrary(R"((Murello11500|Murello113|ZaradEdadod11[01])\.Murello)");
        std::smatch match;
        if (!std::regex_search(code, match, kLibrary)) throw std::runtime_error("no ProgID");
        std::string build = match[1];
        if (build.starts_with("ZaradEdadod")) build = "Murello" + build.substr(11);
        dll_ = e2e::CopyIntoPrefix(e2e::Win64Binary(build + ".dll"), kInstallFolder);
        const e2e::ProcessResult result = e2e::Regsvr32(dll_);
        EXPECT_EQ(result.exit_code, 0) << "regsvr32 " << dll_ << ": " << result.err;
    }
    ~Registered() { e2e::Regsvr32(dll_, true); }
    Registered(const Registered&) = delete;
    Registered& operator=(const Registered&) = delete;

  private:
    std::string dll_;
};

class DocsExamples : public testing::TestWithParam<Example> {
  protected:
    void SetUp() override {
        app_ = e2e::Wine().prefix / "drive_c" / "App";
        fs::remove_all(app_);
        fs::create_directories(app_);
        Sql("CREATE TABLE Murello (Codart TEXT, [id sottoOrd] INTEGER, IdLotto INTEGER, "
            "\"Quantit\xC3\xA0\" REAL)");
    }
    void TearDown() override {
        e2e::UnlinkComPort(1);
        fs::remove_all(app_);
    }

    void Sql(const std::string& statement) {
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open((app_ / "letture.db").c_str(), &db), SQLITE_OK);
        ASSERT_EQ(sqlite3_exec(db, statement.c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
        sqlite3_close(db);
    }

    std::vector<std::string> Rows() {
        std::vector<std::string> rows;
        sqlite3* db = nullptr;
        sqlite3_open_v2((app_ / "letture.db").c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
        sqlite3_stmt* statement = nullptr;
        sqlite3_prepare_v2(db,
                           "SELECT quote(Codart)||','||quote([id sottoOrd])||','||"
                           "quote(IdLotto)||','||quote(\"Quantit\xC3\xA0\") FROM Murello "
                           "ORDER BY rowid",
                           -1, &statement, nullptr);
        while (sqlite3_step(statement) == SQLITE_ROW) {
            rows.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)));
        }
        sqlite3_finalize(statement);
        sqlite3_close(db);
        return rows;
    }

    fs::path app_;
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
    if (!example.waitsFor.empty()) {
        GTEST_SKIP() << block.page << ": example " << example.name << " not run yet: it needs "
                     << example.waitsFor;
    }

    const Registered registered(block.code);
    standins::SimulatedPen pen;
    if (example.device != Device::None) {
        for (const std::string& record : example.pen) pen.AddRecord(record);
        e2e::LinkComPort(1, pen.TerminalPath());
        pen.Start();
    }
    const std::string code = block.early ? LateBound(block.code) : block.code;
    e2e::WriteFile(app_ / "example.vbs", WindowsLines(std::string(kPrelude) + code));
    e2e::Scenario scenario;
    scenario.command_line = "C:\\windows\\system32\\cscript.exe //nologo C:\\App\\example.vbs";
    scenario.answers.assign(example.boxes.size(), "OK");
    scenario.timeout = 60s;
    const e2e::ScenarioResult result = e2e::RunScenario(scenario);
    pen.Stop();

    SCOPED_TRACE(block.page + ": " + example.name);
    EXPECT_FALSE(result.timed_out);
    EXPECT_EQ(result.exit_code, 0) << result.err;
    EXPECT_EQ(WithoutCarriageReturns(result.out), block.output) << result.err;
    ASSERT_EQ(result.dialogs.size(), example.boxes.size());
    for (std::size_t i = 0; i < example.boxes.size(); ++i) {
        EXPECT_EQ(result.dialogs[i].title, example.boxes[i].title);
        EXPECT_EQ(result.dialogs[i].text, example.boxes[i].text);
    }
    EXPECT_EQ(Rows(), example.rows);
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

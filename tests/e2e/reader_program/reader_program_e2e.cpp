// Given the stand-in reader program beside the registered component and a database made by the
// test, when a VBScript calls Scarica2 or Scarica_RovovaDeru, the reader program is started with
// this exact command line, hidden, the table holds these rows, the script sees these errors and
// the user these boxes. The script rewrites the stand-in's scripted result between calls. The
// scenarios that store rows run with SQLite files and with Access files (".mdb") through the
// stand-in DAO engine, giving the same rows.
#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "e2e/dao_standin.h"
#include "e2e/harness.h"
#include "e2e/sqlite_file.h"

namespace {

using namespace std::chrono_literals;

const std::vector<std::string> kNoFault;
const std::string kProgramStart = "startup flags=1 show=0 cmdshow=0\npriority=20\n";
const std::string kNoResultText =
    "Non dato \xC3\xA8 stato ricevuto dal lettore con murello.";  // as the driver reports it

std::string WithoutCarriageReturns(std::string text) {
    std::erase(text, '\r');
    return text;
}

std::string Today() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[16];
    std::strftime(text, sizeof text, "%Y-%m-%d", &local);
    return text;
}

// A build's DLL and the stand-in IR_Read.exe in one folder, the DLL registered from there.
class Installed {
  public:
    Installed(const std::string& build, const std::string& folder)
        : folder_(folder), dll_(e2e::CopyIntoPrefix(e2e::Win64Binary(build + ".dll"), folder)) {
        e2e::CopyIntoPrefix(e2e::TestingBinary("IR_Read.exe"), folder);
        Clean();
        Regsvr32(false);
    }
    ~Installed() {
        Regsvr32(true);
        Clean();
    }
    Installed(const Installed&) = delete;
    Installed& operator=(const Installed&) = delete;

    std::filesystem::path Unix(const std::string& name) const {
        return e2e::UnixPath(folder_) / name;
    }
    // What the stand-in recorded, one block per run.
    std::string Calls() const {
        return std::filesystem::exists(Unix("IR_Read.calls"))
                   ? WithoutCarriageReturns(e2e::ReadFile(Unix("IR_Read.calls")))
                   : "";
    }

  private:
    void Clean() {
        for (const char* name : {"IR_Read.calls", "IR_Read.result", "IR_Read.delay"})
            std::filesystem::remove(Unix(name));
    }
    void Regsvr32(bool unregister) {
        const e2e::ProcessResult result = e2e::Regsvr32(dll_, unregister);
        EXPECT_FALSE(result.timed_out);
        EXPECT_EQ(result.exit_code, 0) << "regsvr32 " << dll_ << ": " << result.err;
    }
    std::string folder_;
    std::string dll_;
};

class ReaderProgramBase : public testing::Test {
  protected:
    explicit ReaderProgramBase(const e2e::Storage& storage) : storage_(storage) {}

    void SetUp() override {
        if (storage_.dao) dao_.emplace();
        temp_ = e2e::TempFolder();
        RemoveFiles();
        e2e::SqlExec(Unix("letture"),
                     "CREATE TABLE murello (Codart TEXT, \"Quantit\xC3\xA0\" REAL, Data DATETIME, "
                     "IDLotto INTEGER, NColli INTEGER, Lotto_Codice TEXT, Lotto_Scadenza DATETIME, "
                     "SSCC TEXT)");
        e2e::SqlExec(Unix("senza_data"),
                     "CREATE TABLE murello (Codart TEXT, \"Quantit\xC3\xA0\" REAL)");
    }
    void TearDown() override {
        RemoveFiles();
        dao_.reset();
    }
    void RemoveFiles() {
        for (const char* name : {"letture", "senza_data"}) std::filesystem::remove(Unix(name));
        std::filesystem::remove(temp_.unix / "letture.txt");
    }

    // The database file of this name, with the storage's extension.
    std::filesystem::path Unix(const std::string& name) const {
        return temp_.unix / (name + storage_.extension);
    }

    std::vector<std::string> Rows(const std::string& name, const std::string& columns) {
        return e2e::SqlRows(Unix(name), "SELECT " + columns + " FROM murello ORDER BY rowid");
    }
    std::vector<std::string> ReadingRows(const std::string& name = "letture") {
        return Rows(name,
                    "quote(Codart)||','||quote(\"Quantit\xC3\xA0\")||','||quote(Data)||','||"
                    "quote(IDLotto)");
    }
    std::vector<std::string> LabelRows() {
        return Rows("letture",
                    "quote(Codart)||','||quote(Data)||','||quote(NColli)||','||"
                    "quote(Lotto_Codice)||','||quote(Lotto_Scadenza)||','||quote(SSCC)");
    }

    std::string Db(const std::string& name = "letture") const {
        return temp_.windows + "\\" + name + storage_.extension;
    }

    // Runs the script's body after the common start: the object `m`, Prepare (the stand-in's
    // next result; "-" for none, which also removes the last result file), Report (echoes and
    // clears the error). The script file is single-byte text, as the host writes it.
    e2e::ScenarioResult Run(const std::string& progId, const std::string& folder,
                            const std::string& body, int boxes = 0) {
        const std::string script =
            "Set m = CreateObject(\"" + progId +
            "\")\r\n"
            "Set fso = CreateObject(\"Scripting.FileSystemObject\")\r\n"
            "Sub Prepare(text, result)\r\n"
            "  If fso.FileExists(\"" +
            folder + "\\IR_Read.result\") Then fso.DeleteFile \"" + folder +
            "\\IR_Read.result\"\r\n"
            "  If text = \"-\" Then\r\n"
            "    If fso.FileExists(result) Then fso.DeleteFile result\r\n"
            "  Else\r\n"
            "    Set f = fso.CreateTextFile(\"" +
            folder +
            "\\IR_Read.result\", True)\r\n"
            "    f.Write text\r\n"
            "    f.Close\r\n"
            "  End If\r\n"
            "End Sub\r\n"
            "Sub Report(name)\r\n"
            "  WScript.Echo name & \": \" & Err.Number & \" \" & Err.Description\r\n"
            "  Err.Clear\r\n"
            "End Sub\r\n"
            "On Error Resume Next\r\n" +
            body;
        e2e::WriteFile(temp_.unix / "lettore.vbs", script);
        e2e::Scenario scenario;
        scenario.command_line =
            "C:\\windows\\system32\\cscript.exe //nologo " + temp_.windows + "\\lettore.vbs";
        scenario.answers.assign(static_cast<std::size_t>(boxes), "OK");
        scenario.timeout = 90s;
        if (dao_) scenario.env.push_back(dao_->RecordVariable());
        e2e::ScenarioResult result = e2e::RunScenario(scenario);
        EXPECT_FALSE(result.timed_out) << result.out << result.err;
        EXPECT_EQ(result.exit_code, 0) << result.out << result.err;
        result.out = WithoutCarriageReturns(result.out);
        return result;
    }

    e2e::Storage storage_;
    std::optional<e2e::DaoStandin> dao_;
    e2e::Folder temp_;
};

class ReaderProgram : public ReaderProgramBase, public testing::WithParamInterface<e2e::Storage> {
  protected:
    ReaderProgram() : ReaderProgramBase(GetParam()) {}
};

class ReaderProgramSqliteFile : public ReaderProgramBase {
  protected:
    ReaderProgramSqliteFile() : ReaderProgramBase(e2e::kSqliteFile) {}
};

INSTANTIATE_TEST_SUITE_P(Storage, ReaderProgram, testing::ValuesIn(e2e::kStorages),
                         [](const testing::TestParamInfo<e2e::Storage>& info) {
                             return std::string(info.param.name);
                         });

const char kFolder[] = "C:\\Programmi\\Lettore";

// What the stand-in records for one run started by the component in folder.
std::string Call(const std::string& folder, const std::string& result, const std::string& fields) {
    return "cmdline=" + folder + "\\IR_Read.exe " + result + "," + fields + "\n" + kProgramStart +
           "result=" + result + " mode=" + fields.substr(4, 1) + "\n";
}

TEST_P(ReaderProgram, Scarica2StartsTheReaderProgramHiddenAndStoresItsLines) {
    Installed installed("Murello11500", kFolder);
    const std::string result = temp_.windows + "\\letture.txt";
    const std::string folder = kFolder;
    const std::string body =
        "Prepare \"A12;5\" & vbCrLf & \"   \" & vbCrLf & vbCrLf & \"Caff\xE8;5,5;x\" & vbCrLf, "
        "\"\"\r\n"
        "m.Scarica2 \"" +
        Db() + "\", \"" + result +
        "\"\r\n"
        "Report \"defaults\"\r\n"
        // The stand-in appends (Accoda) to the file left in place: both runs' lines come in.
        "Set f = fso.CreateTextFile(\"" +
        folder +
        "\\IR_Read.delay\", True)\r\n"
        "f.Write \"1500\"\r\nf.Close\r\n"
        "t = Timer\r\n"
        "m.Scarica2 \"" +
        Db() + "\", \"" + result +
        "\", 8, 5, 2, False, False, True, True, True, -300\r\n"
        "WScript.Echo \"waited \" & (Timer - t >= 1.4)\r\n"
        "Report \"every argument\"\r\n"
        "fso.DeleteFile \"" +
        folder +
        "\\IR_Read.delay\"\r\n"
        // Arguments left out in the middle keep their defaults.
        "Prepare \"  \" & vbCrLf & vbCrLf & \" \", \"\"\r\n"
        "m.Scarica2 \"" +
        Db() + "\", \"" + result +
        "\", 3, , 3, True, False, , True\r\n"
        "Report \"blank lines\"\r\n"
        "Prepare \"A12;5\" & vbCrLf & \"A12\" & vbCrLf & \"C1;1\", \"\"\r\n"
        "m.Scarica2 \"" +
        Db() + "\", \"" + result +
        "\"\r\n"
        "Report \"A12 alone\"\r\n"
        "Prepare \"Q1;1\" & vbCrLf & \"Q2;cinque\", \"\"\r\n"
        "m.Scarica2 \"" +
        Db() + "\", \"" + result +
        "\"\r\n"
        "Report \"no number\"\r\n"
        "Prepare \"Z1;1\", \"\"\r\n"
        "m.Scarica2 \"" +
        Db("senza_data") + "\", \"" + result +
        "\"\r\n"
        "Report \"no Data column\"\r\n"
        "Prepare \"-\", \"" +
        result +
        "\"\r\n"
        "m.Scarica2 \"" +
        Db() + "\", \"" + result +
        "\"\r\n"
        "Report \"no result file\"\r\n"
        // Without the reader program a file left by an earlier run is not imported again.
        "Prepare \"R1;1\", \"\"\r\n"
        "m.Scarica2 \"" +
        Db("senza_data") + "\", \"" + result +
        "\", 2\r\n"
        "Report \"no Data column again\"\r\n"
        "fso.MoveFile \"" +
        folder + "\\IR_Read.exe\", \"" + folder +
        "\\IR_Read.off\"\r\n"
        "m.Scarica2 \"" +
        Db() + "\", \"" + result +
        "\"\r\n"
        "Report \"no reader program\"\r\n"
        "fso.MoveFile \"" +
        folder + "\\IR_Read.off\", \"" + folder + "\\IR_Read.exe\"\r\n";

    const e2e::ScenarioResult run = Run("Murello11500.Murello", kFolder, body, 1);

    EXPECT_EQ(run.out,
              "defaults: 0 \n"
              "waited True\n"
              "every argument: 0 \n"
              "blank lines: 0 \n"
              "A12 alone: 9 Subscript out of range\n"
              "no number: 3421 Data type conversion error.\n"
              "no Data column: 3265 Item not found in this collection.\n"
              "no result file: 0 \n"
              "no Data column again: 3265 Item not found in this collection.\n"
              "no reader program: 53 File not found\n")
        << run.err;
    ASSERT_EQ(run.dialogs.size(), 1u);
    EXPECT_EQ(run.dialogs[0].title, "Lettura dati...");
    EXPECT_EQ(run.dialogs[0].text, kNoResultText);
    EXPECT_EQ(run.dialogs[0].icon_kind, "error");
    EXPECT_EQ(run.dialogs[0].buttons, std::vector<std::string>{"OK"});

    const std::string today = "'" + Today() + "'";
    EXPECT_EQ(ReadingRows(), (std::vector<std::string>{
                                 "'A12',5.0," + today + ",0",
                                 "'Caff\xC3\xA8',5.5," + today + ",0",
                                 "'A12',5.0," + today + ",0",
                                 "'Caff\xC3\xA8',5.5," + today + ",0",
                                 "'A12',5.0," + today + ",0",
                                 "'Caff\xC3\xA8',5.5," + today + ",0",
                                 "'A12',5.0," + today + ",0",
                                 "'Q1',1.0," + today + ",0",
                             }));
    EXPECT_EQ(Rows("senza_data", "count(*)"), std::vector<std::string>{"0"});
    if (dao_) {
        // The file's "5,5" goes to the number field as a number, read by the Italian rules.
        EXPECT_EQ(dao_->ValuesOutsideParameters({"Caff\xC3\xA8", "5.5", Today()}), kNoFault);
    }

    auto call = [&](const std::string& fields) { return Call(folder, result, fields); };
    EXPECT_EQ(installed.Calls(), call("1,1,1,1,1,0,0,0,0,10") + call("8,5,2,0,0,1,1,1,0,-300") +
                                     call("3,1,3,1,0,0,1,0,0,10") + call("1,1,1,1,1,0,0,0,0,10") +
                                     call("1,1,1,1,1,0,0,0,0,10") + call("1,1,1,1,1,0,0,0,0,10") +
                                     call("1,1,1,1,1,0,0,0,0,10") + call("2,1,1,1,1,0,0,0,0,10"));
}

TEST_P(ReaderProgram, ScaricaRovovaDeruDecodesTheLabels) {
    Installed installed("Murello11500", kFolder);
    const std::string result = temp_.windows + "\\letture.txt";
    const std::string label = "(02)08001234567891(37)12(15)240315(10)L42";
    auto call = [&](const std::string& name, const std::string& text) {
        return "Prepare \"" + text + "\", \"\"\r\nm.Scarica_RovovaDeru \"" + Db() + "\", \"" +
               result + "\"\r\nReport \"" + name + "\"\r\n";
    };
    const std::string body =
        call("label", label + ";(00)380012345678901234") +
        call("no ( after (15)", "(02)08001234567891(37)12(10)L42(15)240315;x") +
        call("over 255", label + std::string(215, 'x') + ";x") +
        call("date no number", "(02)08001234567891(37)12(15)24AB15(10)L42;x") +
        call("no container code", label + "\" & vbCrLf & \"" + label);

    const e2e::ScenarioResult run = Run("Murello11500.Murello", kFolder, body);

    EXPECT_EQ(run.out,
              "label: 0 \n"
              "no ( after (15): 5 Invalid procedure call or argument\n"
              "over 255: 6 Overflow\n"
              "date no number: 13 Type mismatch\n"
              "no container code: 9 Subscript out of range\n")
        << run.err;
    EXPECT_TRUE(run.dialogs.empty());
    EXPECT_EQ(LabelRows(),
              std::vector<std::string>{
                  "'789','2024-03-15',12,'L42','2024-03-15','(00)380012345678901234'"});
    if (dao_) {
        EXPECT_EQ(dao_->ValuesOutsideParameters({"(00)380012345678901234", "L42", "2024-03-15"}),
                  kNoFault);
    }
    std::string calls;
    for (int run = 0; run < 5; ++run) calls += Call(kFolder, result, "1,1,1,1,1,0,0,0,0,10");
    EXPECT_EQ(installed.Calls(), calls);
}

// One call's rows are stored in one transaction: a file of 5000 readings takes well under the
// minute that one committed write per row takes on this disk.
TEST_P(ReaderProgram, ThousandsOfLinesInOneCall) {
    Installed installed("Murello11500", kFolder);
    std::string lines;
    for (int n = 1; n <= 5000; ++n)
        lines += "ART" + std::to_string(n) + ";" + std::to_string(n) + "\r\n";
    e2e::WriteFile(installed.Unix("IR_Read.result"), lines);
    const std::string body = "t = Timer\r\nm.Scarica2 \"" + Db() + "\", \"" + temp_.windows +
                             "\\letture.txt\"\r\nWScript.Echo \"elapsed \" & CLng((Timer - t) * "
                             "1000)\r\nReport \"5000 lines\"\r\n";

    const e2e::ScenarioResult run = Run("Murello11500.Murello", kFolder, body);

    ASSERT_NE(run.out.find("5000 lines: 0 \n"), std::string::npos) << run.out << run.err;
    const int elapsedMs = std::stoi(run.out.substr(run.out.find("elapsed ") + 8));
    std::cout << "5000 lines stored in " << elapsedMs << " ms\n";
    EXPECT_LT(elapsedMs, 10000);
    const std::vector<std::string> rows = ReadingRows();
    ASSERT_EQ(rows.size(), 5000u);
    EXPECT_EQ(rows.back(), "'ART5000',5000.0,'" + Today() + "',0");
}

// A component in a folder with a blank starts the reader program by its quoted path: a decoy
// program where an unquoted path would be cut ("C:\Programmi\Murello.exe") is never started.
TEST_F(ReaderProgramSqliteFile, BlanksInTheFolderAndTheResultPathAreQuoted) {
    const std::string folder = "C:\\Programmi\\Murello Lettore";
    Installed installed("Murello11500", folder);
    const std::string decoy =
        e2e::CopyIntoPrefix(e2e::TestingBinary("IR_Read.exe"), "C:\\Programmi");
    std::filesystem::rename(e2e::UnixPath(decoy), e2e::UnixPath("C:\\Programmi") / "Murello.exe");
    std::filesystem::create_directories(temp_.unix / "Le letture");
    const std::string result = temp_.windows + "\\Le letture\\letture 1.txt";
    const std::string body = "Prepare \"B1;2\", \"\"\r\nm.Scarica2 \"" + Db() + "\", \"" + result +
                             "\"\r\nReport \"blanks\"\r\n";

    const e2e::ScenarioResult run = Run("Murello11500.Murello", folder, body);

    EXPECT_EQ(run.out, "blanks: 0 \n") << run.err;
    EXPECT_EQ(installed.Calls(), "cmdline=\"" + folder + "\\IR_Read.exe\" \"" + result +
                                     "\",1,1,1,1,1,0,0,0,0,10\n" + kProgramStart +
                                     "result=" + result + " mode=1\n");
    EXPECT_EQ(ReadingRows(), std::vector<std::string>{"'B1',2.0,'" + Today() + "',0"});
    EXPECT_FALSE(std::filesystem::exists(e2e::UnixPath("C:\\Programmi") / "IR_Read.calls"));
    std::filesystem::remove(e2e::UnixPath("C:\\Programmi") / "Murello.exe");
    std::filesystem::remove_all(temp_.unix / "Le letture");
}

// Murello113 has Scarica2 only; the pen builds have neither member, so binding fails.
TEST_P(ReaderProgram, BuildsOfferTheirOwnMembers) {
    struct Build {
        std::string dll, progId, expected;
    } builds[] = {
        {"Murello113", "Murello113.Murello",
         "Scarica2: 0 \nScarica_RovovaDeru: 438 Object doesn't support this property or method\n"},
        {"Murello111", "ZaradEdadod111.Murello",
         "Scarica2: 438 Object doesn't support this property or method\n"
         "Scarica_RovovaDeru: 438 Object doesn't support this property or method\n"},
        {"Murello110", "ZaradEdadod110.Murello",
         "Scarica2: 438 Object doesn't support this property or method\n"
         "Scarica_RovovaDeru: 438 Object doesn't support this property or method\n"},
    };
    const std::string result = temp_.windows + "\\letture.txt";
    for (const Build& build : builds) {
        SCOPED_TRACE(build.dll);
        Installed installed(build.dll, kFolder);
        const std::string body = "Prepare \"" + build.dll + ";1\", \"\"\r\nm.Scarica2 \"" + Db() +
                                 "\", \"" + result + "\"\r\nReport \"Scarica2\"\r\n" +
                                 "m.Scarica_RovovaDeru \"" + Db() + "\", \"" + result +
                                 "\"\r\nReport \"Scarica_RovovaDeru\"\r\n";
        EXPECT_EQ(Run(build.progId, kFolder, body).out, build.expected);
    }
    EXPECT_EQ(ReadingRows(), std::vector<std::string>{"'Murello113',1.0,'" + Today() + "',0"});
}

}  // namespace

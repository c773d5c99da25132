// Given the terminal's files in the stand-in control's folder and a database made by the test,
// when a VBScript calls an import, the table holds these rows, the user saw these boxes and the
// reading folder holds the file under this name. Every scenario runs with a SQLite file and with an
// Access file (".mdb") through the stand-in DAO engine, giving the same rows.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <ctime>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "e2e/dao_standin.h"
#include "e2e/harness.h"
#include "e2e/registered_dll.h"
#include "e2e/sqlite_file.h"

namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

const char kInstallFolder[] = "C:\\Programmi\\Murello";
const char kTerminalFolder[] = "C:\\vxterm";
const std::string kWarning =
    "E' stato trovato un codice errato. Il programma continuer\xC3\xA0 a scaricare il rimanente "
    "del contenuto.";

struct Build {
    std::string dll;
    std::string progId;
};
const Build kMurello11500{"Murello11500", "Murello11500.Murello"};
const Build kMurello113{"Murello113", "Murello113.Murello"};

// Copied into the install folder and registered for the life of the object.
class Registered : public e2e::RegisteredDll {
  public:
    explicit Registered(const fs::path& file)
        : RegisteredDll(e2e::CopyIntoPrefix(file, kInstallFolder)) {}
};

// "yyyymmdd-hhnnss" of a local time, as the component names its files.
std::string Stamp(std::time_t time) {
    std::tm local{};
    localtime_r(&time, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y%m%d-%H%M%S", &local);
    return text;
}

const std::vector<std::string> kNoFault;

class TerminalImportE2e : public testing::TestWithParam<e2e::Storage> {
  protected:
    void SetUp() override {
        if (!fs::exists(e2e::TestingBinDir() / "vxterm_standin.dll")) {
            GTEST_SKIP() << "the stand-in terminal control is not built";
        }
        if (GetParam().dao) dao_.emplace();
        temp_ = e2e::TempFolder();
        dbUnix_ = temp_.unix / (std::string("terminale") + GetParam().extension);
        terminal_ = e2e::UnixPath("C:\\") / "vxterm";
        letture_ = e2e::UnixPath("C:\\") / "_Letture";
        Clean();
        fs::create_directories(terminal_);
        Sql("CREATE TABLE Murello (Codart TEXT, [id sottoOrd] INTEGER, IdLotto INTEGER, "
            "\"Quantit\xC3\xA0\" REAL, Data DATETIME, Rep INTEGER)");
        Sql("CREATE TABLE Murello_RimesseOF (IdUt INTEGER, IdSottoORd INTEGER, \"Qt\xC3\xA0\" "
            "REAL, NDoc TEXT, DataDoc DATETIME)");
        control_ = std::make_unique<Registered>(e2e::TestingBinary("vxterm_standin.dll"));
    }
    void TearDown() override {
        control_.reset();
        if (!terminal_.empty()) Clean();
        dao_.reset();
    }
    void Clean() {
        fs::remove(dbUnix_);
        fs::remove_all(terminal_);
        fs::remove_all(letture_);
        fs::remove(e2e::UnixPath("C:\\") / "TEMPFOX.TMP");
    }

    void Sql(const std::string& statement) { e2e::SqlExec(dbUnix_, statement); }

    std::vector<std::string> Rows(const std::string& table) {
        return e2e::SqlRows(
            dbUnix_,
            table == "Murello_RimesseOF"
                ? "SELECT quote(IdUt)||','||quote(IdSottoORd)||','||quote(\"Qt\xC3\xA0\")||','||"
                  "quote(NDoc)||','||quote(DataDoc) FROM Murello_RimesseOF ORDER BY rowid"
                : "SELECT quote(Codart)||','||quote(IdLotto)||','||quote([id sottoOrd])||','||"
                  "quote(\"Quantit\xC3\xA0\")||','||quote(Data)||','||quote(Rep) FROM Murello "
                  "ORDER BY rowid");
    }

    // The terminal's file number n holds these bytes.
    void TerminalFile(int n, const std::string& bytes) {
        e2e::WriteFile(terminal_ / ("file" + std::to_string(n) + ".txt"), bytes);
    }

    // Creates the object, sets DbPath (and IdUt in the full build), runs `calls`; boxes are
    // answered with OK. The times around the run bound the stamps of the file names; the DAO
    // engine's record holds this run's calls alone.
    e2e::ScenarioResult RunScript(const Build& build, const std::string& calls, int boxes) {
        std::string script = "Set o = CreateObject(\"" + build.progId + "\")\r\n" +
                             "o.DbPath = \"" + e2e::WindowsPath(dbUnix_) + "\"\r\n";
        if (build.dll == kMurello11500.dll) script += "o.IdUt = 7\r\n";
        e2e::WriteFile(temp_.unix / "terminale.vbs", script + calls);
        e2e::Scenario scenario;
        scenario.command_line =
            "C:\\windows\\system32\\cscript.exe //nologo " + temp_.windows + "\\terminale.vbs";
        scenario.answers.assign(static_cast<std::size_t>(boxes), "OK");
        scenario.env = {std::string("VXTERM_STANDIN_DIR=") + kTerminalFolder};
        if (dao_) {
            dao_->ClearCalls();
            scenario.env.push_back(dao_->RecordVariable());
        }
        scenario.timeout = 60s;
        before_ = std::time(nullptr);
        e2e::ScenarioResult result = e2e::RunScenario(scenario);
        after_ = std::time(nullptr);
        EXPECT_FALSE(result.timed_out) << result.out << result.err;
        EXPECT_EQ(result.exit_code, 0) << result.out << result.err;
        return result;
    }

    // The names in the reading folder (sorted).
    std::vector<std::string> Letture() {
        std::vector<std::string> names;
        if (fs::exists(letture_)) {
            for (const auto& entry : fs::directory_iterator(letture_)) {
                names.push_back(entry.path().filename().string());
            }
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    // The date of the last run as SQL text, '2026-12-06'.
    std::string Today() {
        const std::string stamp = Stamp(after_);
        return "'" + stamp.substr(0, 4) + "-" + stamp.substr(4, 2) + "-" + stamp.substr(6, 2) + "'";
    }

    // prefix + a stamp taken during the last run ("yyyymmdd-hhnnss", or without the seconds)
    // + suffix, as the reading folder holds it. anyCase: Wine keeps the old spelling when a
    // move only changes the case (Scarica4's ".tmp" to ".TMP" within the same second), where
    // Windows renames.
    std::string Stamped(const std::string& prefix, const std::string& suffix,
                        bool withSeconds = true, bool anyCase = false) {
        const auto fold = [anyCase](std::string text) {
            if (anyCase) {
                for (char& c : text)
                    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            }
            return text;
        };
        for (std::time_t t = before_ - 1; t <= after_ + 1; ++t) {
            const std::string name =
                fold(prefix + Stamp(t).substr(0, withSeconds ? 15 : 13) + suffix);
            for (const std::string& present : Letture()) {
                if (fold(present) == name) return present;
            }
        }
        return prefix + "<no stamp of the run>" + suffix;
    }

    // The destination the component gave the form, as the control saw it.
    std::string ReceivedInto() {
        const std::string log = e2e::ReadFile(terminal_ / "calls.log");
        const std::string marker = "RiceviFile method VT_BSTR \"";
        const auto at = log.rfind(marker);
        if (at == std::string::npos) return "(no RiceviFile)";
        const auto start = at + marker.size();
        return log.substr(start, log.find('"', start) - start);
    }

    static void ExpectWarnings(const e2e::ScenarioResult& result, std::size_t count) {
        ASSERT_EQ(result.dialogs.size(), count);
        for (const e2e::Dialog& dialog : result.dialogs) {
            EXPECT_EQ(dialog.title, "Attenzione!");
            EXPECT_EQ(dialog.text, kWarning);
            EXPECT_EQ(dialog.icon_kind, "error");
            EXPECT_EQ(dialog.buttons, std::vector<std::string>{"OK"});
        }
    }

    std::optional<e2e::DaoStandin> dao_;
    e2e::Folder temp_;
    fs::path dbUnix_;
    fs::path terminal_;
    fs::path letture_;
    std::unique_ptr<Registered> control_;
    std::time_t before_ = 0;
    std::time_t after_ = 0;
};

INSTANTIATE_TEST_SUITE_P(Storage, TerminalImportE2e, testing::ValuesIn(e2e::kStorages),
                         [](const testing::TestParamInfo<e2e::Storage>& info) {
                             return std::string(info.param.name);
                         });

// Over the DAO engine every method's values reach it as parameters or fields, never inside SQL.
TEST_P(TerminalImportE2e, Murello11500ImportsEachFileAndRenamesIt) {
    Registered registered(e2e::Win64Binary("Murello11500.dll"));

    // Scarica3: 0,5 kept, blank lines skipped, a quote stored.
    TerminalFile(1, "A1;12;7;3\r\nART;2,5;3;0,5\r\n\r\n \t\r\nO'Brien;3;4;1,5\r\n");
    e2e::ScenarioResult result = RunScript(kMurello11500, "o.Scarica3\r\n", 0);
    EXPECT_TRUE(result.dialogs.empty());
    const std::string archived = Stamped("Importato_Rimesse_OF_", ".tmp");
    EXPECT_EQ(Letture(), std::vector<std::string>{archived});
    EXPECT_EQ(ReceivedInto(), "C:\\_Letture\\" + archived.substr(10));
    const std::string today = Today();
    EXPECT_EQ(Rows("Murello"), (std::vector<std::string>{"'A1',12,7,3.0," + today + ",NULL",
                                                         "'ART',2,3,0.5," + today + ",NULL",
                                                         "'O''Brien',3,4,1.5," + today + ",NULL"}));
    if (dao_) {
        EXPECT_EQ(dao_->ValuesOutsideParameters({"O'Brien", "0.5", today.substr(1, 10)}), kNoFault);
    }

    // Scarica_RimesseOF with IdUt 7: a line without "$ROF" is warned once and skipped.
    fs::remove_all(letture_);
    TerminalFile(1, "$ROF;12;3;DDT45;20261206\r\nROF;1;1;X;20261206\r\n$rof;13;0,5;D'46;20261207");
    result = RunScript(kMurello11500, "o.Scarica_RimesseOF\r\n", 1);
    ExpectWarnings(result, 1);
    EXPECT_EQ(Rows("Murello_RimesseOF"),
              (std::vector<std::string>{"7,12,3.0,'DDT45','2026-12-06'",
                                        "7,13,0.5,'D''46','2026-12-07'"}));
    if (dao_) {
        EXPECT_EQ(dao_->ValuesOutsideParameters({"DDT45", "D'46", "0.5", "2026-12-07"}), kNoFault);
    }
    EXPECT_EQ(Letture(), std::vector<std::string>{Stamped("Importato_Rimesse_OF_", ".tmp")});

    // Scarica4: the Part's line, an empty lot, the lot 2,5, a line without "$".
    Sql("DELETE FROM Murello");
    fs::remove_all(letture_);
    TerminalFile(1,
                 "ART42$17;2;20261206;1\r\nART42$;1;20261205;2\r\nART42;5;20261206;1\r\n"
                 "ART42$2,5;0,5;20261204;3\r\n");
    result = RunScript(kMurello11500, "o.Scarica4\r\n", 1);
    ExpectWarnings(result, 1);
    EXPECT_EQ(Rows("Murello"), (std::vector<std::string>{"'ART42',17,NULL,2.0,'2026-12-06',1",
                                                         "'ART42',0,NULL,1.0,'2026-12-05',2",
                                                         "'ART42',2,NULL,0.5,'2026-12-04',3"}));
    if (dao_) {
        EXPECT_EQ(dao_->ValuesOutsideParameters({"ART42", "0.5", "2026-12-04"}), kNoFault);
    }
    EXPECT_EQ(ReceivedInto().substr(0, 19), "C:\\_Letture\\MovMag_");
    EXPECT_EQ(Letture(), std::vector<std::string>{Stamped("MovMag_", ".TMP", true, true)});

    // Scarica5 receives the terminal's file 2; ART42;5 is warned once and skipped.
    Sql("DELETE FROM Murello");
    fs::remove_all(letture_);
    TerminalFile(2, "ART42$17;5\r\nART42;5\r\nB$1;0,5\r\n");
    result = RunScript(kMurello11500, "o.Scarica5\r\n", 1);
    ExpectWarnings(result, 1);
    EXPECT_EQ(Rows("Murello"), (std::vector<std::string>{"'ART42',17,NULL,5.0,NULL,NULL",
                                                         "'B',1,NULL,0.5,NULL,NULL"}));
    if (dao_) {
        EXPECT_EQ(dao_->ValuesOutsideParameters({"ART42", "0.5"}), kNoFault);
    }
    EXPECT_EQ(Letture(), std::vector<std::string>{Stamped("Riconciliazione_", ".TMP", true, true)});
    EXPECT_NE(e2e::ReadFile(terminal_ / "calls.log").find("VT_I2|VT_BYREF 2"), std::string::npos);

    // A file with no lines is renamed all the same.
    Sql("DELETE FROM Murello");
    fs::remove_all(letture_);
    TerminalFile(1, "");
    result = RunScript(kMurello11500, "o.Scarica3\r\n", 0);
    EXPECT_TRUE(result.dialogs.empty());
    EXPECT_TRUE(Rows("Murello").empty());
    EXPECT_EQ(Letture(), std::vector<std::string>{Stamped("Importato_Rimesse_OF_", ".tmp")});
}

TEST_P(TerminalImportE2e, Murello11500ShortLineShowsItsErrorAndKeepsTheRowsAndTheName) {
    Registered registered(e2e::Win64Binary("Murello11500.dll"));
    TerminalFile(1, "A;1;1;1\r\nB;1;1\r\nC;1;1;1\r\n");

    const e2e::ScenarioResult result =
        RunScript(kMurello11500, "o.Scarica3\r\nWScript.Echo \"returned\"\r\n", 1);

    ASSERT_EQ(result.dialogs.size(), 1u);
    EXPECT_EQ(result.dialogs[0].title, "9");
    EXPECT_EQ(result.dialogs[0].text, "Subscript out of range");
    EXPECT_EQ(result.dialogs[0].icon_kind, "error");
    EXPECT_EQ(result.dialogs[0].buttons, std::vector<std::string>{"OK"});
    EXPECT_EQ(result.out, "returned\r\n");
    ASSERT_EQ(Rows("Murello").size(), 1u);
    EXPECT_EQ(Rows("Murello")[0].substr(0, 13), "'A',1,1,1.0,'");
    EXPECT_EQ(Letture(), std::vector<std::string>{Stamped("Rimesse_OF_", ".tmp")});
}

// Errors reach the script; the archive names carry the minute.
TEST_P(TerminalImportE2e, Murello113RaisesErrorsToTheCallerAndArchivesItsFile) {
    Registered registered(e2e::Win64Binary("Murello113.dll"));
    const std::string report =
        "WScript.Echo \"err \" & Err.Number & \" \" & Err.Description\r\nErr.Clear\r\n";
    // Both Scarica4 calls must fall in one minute: start early in a minute (no Sleep in Wine's
    // scripting host, so the script polls the clock).
    const std::string waitForEarlyMinute = "Do While Second(Now) > 40\r\nLoop\r\n";
    TerminalFile(1, "A1;1;2;0,5\r\n\r\nB'2;3;4;1\r\n");

    e2e::ScenarioResult result =
        RunScript(kMurello113, "On Error Resume Next\r\no.Scarica3\r\n" + report, 0);
    EXPECT_EQ(result.out, "err 0 \r\n");
    const std::string firstDay = Today();
    EXPECT_TRUE(result.dialogs.empty());
    EXPECT_EQ(e2e::ReadFile(e2e::UnixPath("C:\\TEMPFOX.TMP")), "A1;1;2;0,5\r\n\r\nB'2;3;4;1\r\n");
    EXPECT_NE(e2e::ReadFile(terminal_ / "calls.log")
                  .find("RiceviFile method VT_BSTR \"C:\\TEMPFOX.TMP\" VT_I2|VT_BYREF 1"),
              std::string::npos);

    TerminalFile(1, "ART42$17;2;20261206;1\r\nART42;5;20261206;1\r\n");
    result = RunScript(kMurello113,
                       "On Error Resume Next\r\n" + waitForEarlyMinute + "o.Scarica4\r\n" + report +
                           "o.Scarica4\r\n" + report,
                       2);
    ExpectWarnings(result, 2);
    EXPECT_EQ(result.out, "err 0 \r\nerr 58 File already exists\r\n");
    EXPECT_EQ(Letture(), std::vector<std::string>{Stamped("", "_Importato.TMP", false)});
    EXPECT_TRUE(fs::exists(e2e::UnixPath("C:\\TEMPFOX.TMP")));

    // An empty lot has no zero rule here: type mismatch, rows before it stored.
    TerminalFile(2, "C$2;0,5\r\nD$;1\r\nE$3;1\r\n");
    result = RunScript(kMurello113, "On Error Resume Next\r\no.Scarica5\r\n" + report, 0);
    EXPECT_EQ(result.out, "err 13 Type mismatch\r\n");
    EXPECT_EQ(Rows("Murello"),
              (std::vector<std::string>{
                  "'A1',1,2,0.5," + firstDay + ",NULL", "'B''2',3,4,1.0," + firstDay + ",NULL",
                  "'ART42',17,NULL,2.0,'2026-12-06',1", "'ART42',17,NULL,2.0,'2026-12-06',1",
                  "'C',2,NULL,0.5,NULL,NULL"}));
}

}  // namespace

// The infrared download's end-to-end scenarios: a build installed with (or without) the
// stand-in IrLib.dll beside it, a VBScript that calls Scarica1, the stand-in's script and log, the
// boxes, the rows and the status files. The scenarios that store rows run with a SQLite file and
// with an Access file (".mdb") through the stand-in DAO engine.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <optional>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "e2e/dao_standin.h"
#include "e2e/harness.h"
#include "e2e/sqlite_file.h"

namespace infrared_e2e {

using namespace std::chrono_literals;

constexpr char kInstallFolder[] = "C:\\Programmi\\MurelloIr";

struct Build {
    std::string dll;
    std::string progId;
    std::string title;       // the component's name, the title of its own boxes
    std::string statusFile;  // where a failed link leaves "KO"
    bool trap;               // errors shown in a box (else raised to the script)
};
const Build kMurello11500{"Murello11500", "Murello11500.Murello", "Murello11500",
                          "C:\\_Letture\\TEMPFOX.TMP", true};
const Build kMurello113{"Murello113", "Murello113.Murello", "Murello113", "C:\\TEMPFOX.TMP", false};
const Build kMurello111{"Murello111", "ZaradEdadod111.Murello", "ZaradEdadod111", "C:\\TEMPFOX.TMP",
                        false};
const Build kMurello110{"Murello110", "ZaradEdadod110.Murello", "ZaradEdadod110", "C:\\TEMPFOX.TMP",
                        false};

enum class Library { Standin, WithoutWrite, None };

// The build copied into its folder with (or without) the stand-in beside it, and registered.
class Installed {
  public:
    Installed(const Build& build, Library library) {
        const std::filesystem::path folder = e2e::UnixPath("C:\\Programmi");
        std::filesystem::remove_all(folder / "MurelloIr");
        dll_ = e2e::CopyIntoPrefix(e2e::Win64Binary(build.dll + ".dll"), kInstallFolder);
        if (library == Library::Standin) {
            e2e::CopyIntoPrefix(e2e::TestingBinary("IrLib.dll"), kInstallFolder);
        } else if (library == Library::WithoutWrite) {
            e2e::CopyIntoPrefix(e2e::TestingBinary("irlib_without_write/IrLib.dll"),
                                kInstallFolder);
        }
        Regsvr32(false);
    }
    ~Installed() {
        Regsvr32(true);
        std::filesystem::remove_all(e2e::UnixPath("C:\\Programmi") / "MurelloIr");
    }
    Installed(const Installed&) = delete;
    Installed& operator=(const Installed&) = delete;

  private:
    void Regsvr32(bool unregister) {
        const e2e::ProcessResult result = e2e::Regsvr32(dll_, unregister);
        EXPECT_FALSE(result.timed_out);
        EXPECT_EQ(result.exit_code, 0) << "regsvr32 " << dll_ << ": " << result.err;
    }
    std::string dll_;
};

struct Box {
    std::string title;
    std::string text;
    std::string icon;  // "error" (critical) or "none"
    bool operator==(const Box&) const = default;
};
inline std::ostream& operator<<(std::ostream& out, const Box& box) {
    return out << "{" << box.title << ", " << box.text << ", " << box.icon << "}";
}

// One line of the stand-in's log.
struct Call {
    long long ms = 0;     // since the library was loaded
    long long cpuMs = 0;  // CPU time the component's process had used by then
    std::string function;
    std::vector<std::string> arguments;
};

struct Outcome {
    std::vector<Box> boxes;
    std::vector<std::string> results;  // per call: "<Err.Number>|<Err.Description>"
    std::vector<long long> elapsedMs;  // per call
    std::vector<Call> calls;           // of the link library
    std::string out;
};

const std::string kHandshakeTimeout = "Errore timeout, rilanciare lo scarico";
const std::string kTransferTimeout = "Errore timeout, rilanciare scarico";
const std::string kNotOpened = "Errore appertura porta, rilanciare scarico";
const std::string kWrongCode =
    "E' stato trovato un codice errato. Il programma continuer\xC3\xA0 a scaricare il rimanente "
    "del contenuto.";
const std::string kRecordA = "#ART42$17;2;20261206;1;";
const std::string kRowA = "'#ART42',17,2.0,'2026-12-06',1";
const std::string kRecordB = "#O'B7$3;0.5;20270131;2;";
const std::string kRowB = "'#O''B7',3,0.5,'2027-01-31',2";

class ReaderInfraredBase : public testing::Test {
  protected:
    explicit ReaderInfraredBase(const e2e::Storage& storage) : storage_(storage) {}

    void SetUp() override {
        if (storage_.dao) dao_.emplace();
        temp_ = e2e::TempFolder();
        dbUnix_ = temp_.unix / (std::string("letture_ir") + storage_.extension);
        std::filesystem::remove(dbUnix_);
        Sql("CREATE TABLE Murello (Codart TEXT, IdLotto INTEGER, \"Quantit\xC3\xA0\" REAL, "
            "Data DATE, Rep INTEGER)");
        RemoveStatusFiles();
    }
    void TearDown() override {
        std::filesystem::remove(dbUnix_);
        RemoveStatusFiles();
        dao_.reset();
    }

    static void RemoveStatusFiles() {
        std::error_code error;
        std::filesystem::remove(e2e::UnixPath("C:\\TEMPFOX.TMP"), error);
        const std::filesystem::path letture = e2e::UnixPath("C:\\") / "_Letture";
        std::filesystem::remove(letture / "TEMPFOX.TMP", error);
        // The folder goes only when nothing else is in it.
        std::filesystem::remove(letture, error);
    }

    void Sql(const std::string& statement) { e2e::SqlExec(dbUnix_, statement); }

    std::vector<std::string> Rows() {
        return e2e::SqlRows(dbUnix_,
                            "SELECT quote(Codart)||','||quote(IdLotto)||','||"
                            "quote(\"Quantit\xC3\xA0\")||','||quote(Data)||','||quote(Rep) "
                            "FROM Murello ORDER BY rowid");
    }

    // The status file's bytes, or "<none>".
    static std::string Status(const std::string& windowsPath) {
        const std::filesystem::path file = e2e::UnixPath(windowsPath);
        return std::filesystem::exists(file) ? e2e::ReadFile(file) : "<none>";
    }

    // Runs Scarica1 `calls` times on one object of the installed build, with the reader scripted
    // by `script` (the stand-in's script lines); every box is answered with OK. The DAO engine's
    // record holds this run's calls alone.
    Outcome Download(const Build& build, const std::vector<std::string>& script, int calls = 1,
                     std::chrono::seconds timeout = 60s) {
        std::string scriptText;
        for (const std::string& line : script) scriptText += line + "\n";
        e2e::WriteFile(temp_.unix / "irlib_script.txt", scriptText);
        std::filesystem::remove(temp_.unix / "irlib_log.txt");
        std::string vbs = "Set o = CreateObject(\"" + build.progId + "\")\r\n" +
                          "o.Porta = 5\r\no.DbPath = \"" + e2e::WindowsPath(dbUnix_) + "\"\r\n" +
                          "On Error Resume Next\r\n";
        for (int i = 0; i < calls; ++i) {
            vbs +=
                "t = Timer\r\no.Scarica1\r\n"
                "WScript.Echo \"result \" & Err.Number & \"|\" & Err.Description & \"|\" & "
                "CLng((Timer - t) * 1000)\r\nErr.Clear\r\n";
        }
        e2e::WriteFile(temp_.unix / "scarica1.vbs", vbs);
        e2e::Scenario scenario;
        scenario.command_line =
            "C:\\windows\\system32\\cscript.exe //nologo " + temp_.windows + "\\scarica1.vbs";
        scenario.answers.assign(8, "OK");
        scenario.timeout = timeout;
        scenario.env = {"IRLIB_SCRIPT=" + temp_.windows + "\\irlib_script.txt",
                        "IRLIB_LOG=" + temp_.windows + "\\irlib_log.txt"};
        if (dao_) {
            dao_->ClearCalls();
            scenario.env.push_back(dao_->RecordVariable());
        }
        const e2e::ScenarioResult result = e2e::RunScenario(scenario);
        EXPECT_FALSE(result.timed_out) << result.out << result.err;
        EXPECT_EQ(result.exit_code, 0) << result.out << result.err;

        Outcome outcome;
        outcome.out = result.out;
        for (const e2e::Dialog& dialog : result.dialogs) {
            outcome.boxes.push_back({dialog.title, dialog.text, dialog.icon_kind});
            EXPECT_EQ(dialog.buttons, std::vector<std::string>{"OK"}) << dialog.text;
        }
        std::istringstream lines(result.out);
        for (std::string line; std::getline(lines, line);) {
            if (line.rfind("result ", 0) != 0) continue;
            if (!line.empty() && line.back() == '\r') line.pop_back();
            const std::size_t last = line.rfind('|');
            outcome.results.push_back(line.substr(7, last - 7));
            outcome.elapsedMs.push_back(std::stoll(line.substr(last + 1)));
        }
        EXPECT_EQ(outcome.results.size(), static_cast<std::size_t>(calls)) << result.out;
        outcome.calls = ReadLog(temp_.unix / "irlib_log.txt");
        return outcome;
    }

    static std::vector<Call> ReadLog(const std::filesystem::path& file) {
        std::vector<Call> calls;
        if (!std::filesystem::exists(file)) return calls;
        std::istringstream lines(e2e::ReadFile(file));
        for (std::string line; std::getline(lines, line);) {
            std::istringstream fields(line);
            Call call;
            std::string field;
            std::getline(fields, field, '\t');
            call.ms = std::stoll(field);
            call.cpuMs = std::stoll(field.substr(field.find('/') + 1));
            std::getline(fields, call.function, '\t');
            while (std::getline(fields, field, '\t')) call.arguments.push_back(field);
            calls.push_back(call);
        }
        return calls;
    }

    // The commands the reader received, without their CR (written "\r" in the log).
    static std::vector<std::string> Commands(const Outcome& outcome) {
        std::vector<std::string> commands;
        for (const Call& call : outcome.calls) {
            if (call.function != "WriteIrCom") continue;
            std::string command = call.arguments.at(0);
            if (command.size() >= 2 && command.compare(command.size() - 2, 2, "\\r") == 0) {
                command.resize(command.size() - 2);
            } else {
                command += "<no CR>";
            }
            commands.push_back(command);
        }
        return commands;
    }

    // Whether every opening of the link was closed again.
    static bool LinkClosed(const Outcome& outcome) {
        int open = 0;
        for (const Call& call : outcome.calls) {
            if (call.function == "vbOpenIrCom" && call.arguments.at(2) != "0") ++open;
            if (call.function == "CloseIrCom") open = 0;
        }
        return open == 0;
    }

    e2e::Storage storage_;
    std::optional<e2e::DaoStandin> dao_;
    e2e::Folder temp_;
    std::filesystem::path dbUnix_;
};

// The scenarios that store rows, over both storages.
class ReaderInfrared : public ReaderInfraredBase, public testing::WithParamInterface<e2e::Storage> {
  protected:
    ReaderInfrared() : ReaderInfraredBase(GetParam()) {}
};

// What does not depend on where the rows go, with a SQLite file.
class ReaderInfraredSqliteFile : public ReaderInfraredBase {
  protected:
    ReaderInfraredSqliteFile() : ReaderInfraredBase(e2e::kSqliteFile) {}
};

}  // namespace infrared_e2e

// The pen download's end-to-end fixture: the registered component, a database made by the test
// (a SQLite file, or an Access file for the stand-in DAO engine) and a VBScript that calls
// Scarica with the simulated pen on COM5.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "e2e/dao_standin.h"
#include "e2e/harness.h"
#include "e2e/registered_dll.h"
#include "e2e/sqlite_file.h"
#include "simulated_pen.h"

namespace reader_download_e2e {

using namespace std::chrono_literals;

inline constexpr int kPort = 5;
inline const char kInstallFolder[] = "C:\\Programmi\\Murello";
inline const std::string kTimeoutText =
    "Controllare il collegamento con la penna ottica e le impostazioni della porta seriale.";

struct Build {
    std::string dll;
    std::string progId;
};
inline const Build kMurello11500{"Murello11500", "Murello11500.Murello"};
inline const Build kMurello111{"Murello111", "ZaradEdadod111.Murello"};

class Registered : public e2e::RegisteredDll {
  public:
    explicit Registered(const Build& build)
        : RegisteredDll(e2e::CopyIntoPrefix(e2e::Win64Binary(build.dll + ".dll"), kInstallFolder)) {
    }
};

class ReaderDownloadBase : public testing::Test {
  protected:
    explicit ReaderDownloadBase(const e2e::Storage& storage) : storage_(storage) {}

    void SetUp() override {
        if (storage_.dao) dao_.emplace();
        temp_ = e2e::TempFolder();
        dbUnix_ = temp_.unix / (std::string("letture") + storage_.extension);
        std::filesystem::remove(dbUnix_);
        Sql("CREATE TABLE Murello (Codart TEXT, [id sottoOrd] INTEGER, IdLotto INTEGER, "
            "\"Quantit\xC3\xA0\" REAL)");
    }
    void TearDown() override {
        e2e::UnlinkComPort(kPort);
        std::filesystem::remove(dbUnix_);
        dao_.reset();
    }

    void Sql(const std::string& statement) { e2e::SqlExec(dbUnix_, statement); }

    std::vector<std::string> Rows() {
        return e2e::SqlRows(dbUnix_,
                            "SELECT quote(Codart)||','||quote([id sottoOrd])||','||"
                            "quote(IdLotto)||','||quote(\"Quantit\xC3\xA0\") FROM Murello "
                            "ORDER BY rowid");
    }

    // Runs a script that creates one object on port `port`, then runs `calls`; the boxes are
    // answered with OK.
    e2e::ScenarioResult RunScript(const Build& build, standins::SimulatedPen& pen, int port,
                                  const std::string& calls, int boxes) {
        e2e::LinkComPort(kPort, pen.TerminalPath());
        pen.Start();
        const std::string script = "Set o = CreateObject(\"" + build.progId + "\")\r\n" +
                                   "o.Porta = " + std::to_string(port) + "\r\n" + "o.DbPath = \"" +
                                   e2e::WindowsPath(dbUnix_) + "\"\r\n" + calls;
        e2e::WriteFile(temp_.unix / "scarica.vbs", script);
        e2e::Scenario scenario;
        scenario.command_line =
            "C:\\windows\\system32\\cscript.exe //nologo " + temp_.windows + "\\scarica.vbs";
        scenario.answers.assign(static_cast<std::size_t>(boxes), "OK");
        scenario.timeout = 60s;
        if (dao_) scenario.env.push_back(dao_->RecordVariable());
        e2e::ScenarioResult result = e2e::RunScenario(scenario);
        pen.Stop();
        EXPECT_FALSE(result.timed_out) << result.out << result.err;
        EXPECT_EQ(result.exit_code, 0) << result.out << result.err;
        return result;
    }

    // Calls Scarica `downloads` times on one object, echoing the milliseconds each call took.
    e2e::ScenarioResult RunDownloads(const Build& build, standins::SimulatedPen& pen, int downloads,
                                     int boxes) {
        std::string calls;
        for (int i = 0; i < downloads; ++i) calls += kTimedScarica;
        return RunScript(build, pen, kPort, calls, boxes);
    }

    static constexpr const char* kTimedScarica =
        "t = Timer\r\no.Scarica\r\nWScript.Echo \"elapsed \" & CLng((Timer - t) * 1000)\r\n";

    e2e::Storage storage_;
    std::optional<e2e::DaoStandin> dao_;
    e2e::Folder temp_;
    std::filesystem::path dbUnix_;
};

class ReaderDownload : public ReaderDownloadBase, public testing::WithParamInterface<e2e::Storage> {
  protected:
    ReaderDownload() : ReaderDownloadBase(GetParam()) {}
};

}  // namespace reader_download_e2e

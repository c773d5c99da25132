// Given the file the terminal sends, when a build's import runs, the table holds these rows,
// the user saw these boxes and the reading folder holds the file under this name.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cstdlib>
#include <filesystem>
#include <optional>

#include "core/downloads/terminal_import.h"
#include "core/text_encoding.h"
#include "platform/database/sqlite_database.h"
#include "platform/files/memory_file_system.h"
#include "platform/ui/memory_user_interface.h"
#include "platform/ui/memory_wall_clock.h"

namespace reader {
namespace {

const std::wstring kTempFox = L"C:\\TEMPFOX.TMP";
const std::wstring kWarning =
    L"E' stato trovato un codice errato. Il programma continuer\u00e0 a scaricare il rimanente "
    L"del contenuto.";

// The form as the terminal developer's control drives it, reduced to its outcome: the load
// writes what the terminal sends (nothing when `sent` is empty) where the build receives.
class FakeScaricaVX : public ScaricaVXForm {
  public:
    FakeScaricaVX(MemoryFileSystem& files, bool reduced) : files_(files), reduced_(reduced) {}
    void Load() override {
        calls.push_back("Load " + std::to_string(NumeroFile) + " " + ToUtf8(NomeCartella) + " " +
                        ToUtf8(NomeFile));
        if (onLoad) onLoad();
        if (sent) files_.files[reduced_ ? kTempFox : NomeCartella + L"\\" + NomeFile] = *sent;
    }
    void Unload() override { calls.push_back("Unload"); }

    std::optional<std::string> sent;
    std::function<void()> onLoad;
    std::vector<std::string> calls;

  private:
    MemoryFileSystem& files_;
    bool reduced_;
};

// A service of the fixture, lent to the object's services without handing over ownership.
template <typename Service, typename Made>
LazyService<Service> Lent(Made& made) {
    return LazyService<Service>::Of(std::shared_ptr<Service>(std::shared_ptr<Service>(), &made));
}

class TerminalImport : public testing::Test {
  public:
    void SetUp() override {
        char pattern[] = "/tmp/terminal_import_XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder_ = pattern;
        dbPath_ = folder_ + "/letture.db";
        Fresh();
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }

    // A new database with empty tables, the reading folder only, no boxes, 14:30:05.
    void Fresh() {
        std::filesystem::remove(dbPath_);
        files = MemoryFileSystem();
        files.folders.insert(L"C:\\_Letture");
        ui.boxes.clear();
        clock.now = {{2026, 12, 6}, 14, 30, 5};
        Sql("CREATE TABLE Murello (Codart TEXT, [id sottoOrd] INTEGER, IdLotto INTEGER, "
            "\"Quantit\xC3\xA0\" REAL, Data DATETIME, Rep INTEGER)");
        Sql("CREATE TABLE Murello_RimesseOF (IdUt INTEGER, IdSottoORd INTEGER, \"Qt\xC3\xA0\" "
            "REAL, NDoc TEXT, DataDoc DATETIME)");
    }

    void Sql(const std::string& statement) {
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(dbPath_.c_str(), &db), SQLITE_OK);
        const int rc = sqlite3_exec(db, statement.c_str(), nullptr, nullptr, nullptr);
        sqlite3_close(db);
        ASSERT_EQ(rc, SQLITE_OK) << statement;
    }

    // Every column of the file's table, as SQL literals, in insertion order.
    std::vector<std::string> Rows(TerminalFile file) {
        const char* query =
            file == TerminalFile::RimesseOF
                ? "SELECT quote(IdUt)||','||quote(IdSottoORd)||','||quote(\"Qt\xC3\xA0\")||','||"
                  "quote(NDoc)||','||quote(DataDoc) FROM Murello_RimesseOF ORDER BY rowid"
                : "SELECT quote(Codart)||','||quote(IdLotto)||','||quote([id sottoOrd])||','||"
                  "quote(\"Quantit\xC3\xA0\")||','||quote(Data)||','||quote(Rep) FROM Murello "
                  "ORDER BY rowid";
        std::vector<std::string> rows;
        sqlite3* db = nullptr;
        EXPECT_EQ(sqlite3_open_v2(dbPath_.c_str(), &db, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
        sqlite3_stmt* statement = nullptr;
        if (sqlite3_prepare_v2(db, query, -1, &statement, nullptr) != SQLITE_OK) {
            rows.push_back(std::string("(") + sqlite3_errmsg(db) + ")");
        }
        while (sqlite3_step(statement) == SQLITE_ROW) {
            rows.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)));
        }
        sqlite3_finalize(statement);
        sqlite3_close(db);
        return rows;
    }

    // Runs one method; a Murello113 error comes back as "error N: description".
    std::string Run(TerminalFile file, TerminalBuild build, FakeScaricaVX& form) {
        ReaderServices services;
        services.files = Lent<FileSystem>(files);
        services.databases = Lent<DatabaseEngine>(engine);
        services.ui = Lent<UserInterface>(ui);
        services.wallClock = Lent<WallClock>(clock);
        services.scaricaVX = Lent<ScaricaVXForm>(form);
        try {
            ImportTerminalFile(file, build, services, FromUtf8(dbPath_), 7);
        } catch (const RaisedError& error) {
            return "error " + std::to_string(error.number) + ": " + ToUtf8(error.description);
        }
        return "";
    }

    std::vector<std::string> FileNames() {
        std::vector<std::string> names;
        for (const auto& file : files.files) names.push_back(ToUtf8(file.first));
        return names;
    }

    std::vector<std::string> Boxes() {
        std::vector<std::string> boxes;
        for (const auto& box : ui.boxes) {
            boxes.push_back(ToUtf8(box.title) + "|" +
                            (box.text == kWarning ? "warning" : ToUtf8(box.text)) + "|" +
                            std::to_string(box.style));
        }
        return boxes;
    }

    std::string folder_;
    std::string dbPath_;
    MemoryFileSystem files;
    MemoryUserInterface ui;
    MemoryWallClock clock{{{2026, 12, 6}, 14, 30, 5}};
    SqliteEngine engine{0};
};

struct Scenario {
    const char* name;
    TerminalFile file;
    std::string sent;
    std::vector<std::string> rows;
    std::vector<std::string> boxes;
    std::vector<std::string> filesAfter;
    std::string formCall;
};

TEST_F(TerminalImport, FullBuildImportsEachFileAndRenamesIt) {
    const Scenario scenarios[] = {
        {"Scarica3: 0,5 kept, blank lines skipped, quote stored",
         TerminalFile::Scarica3,
         "A1;12;7;3\r\nART;2,5;3;0,5\r\n\r\n \t\r\nO'Brien;3;4;1,5\r\n",
         {"'A1',12,7,3.0,'2026-12-06',NULL", "'ART',2,3,0.5,'2026-12-06',NULL",
          "'O''Brien',3,4,1.5,'2026-12-06',NULL"},
         {},
         {"C:\\_Letture\\Importato_Rimesse_OF_20261206-143005.tmp"},
         "Load 1 C:\\_Letture Rimesse_OF_20261206-143005.tmp"},
        {"Scarica_RimesseOF",
         TerminalFile::RimesseOF,
         "$ROF;12;3;DDT45;20261206\nROF;1;1;X;20261206\n$rof;13;0,5;D'46;20261207",
         {"7,12,3.0,'DDT45','2026-12-06'", "7,13,0.5,'D''46','2026-12-07'"},
         {"Attenzione!|warning|16"},
         {"C:\\_Letture\\Importato_Rimesse_OF_20261206-143005.tmp"},
         "Load 1 C:\\_Letture Rimesse_OF_20261206-143005.tmp"},
        {"Scarica4",
         TerminalFile::Scarica4,
         "ART42$17;2;20261206;1\r\nART42$;1;20261205;2\r\nART42;5;20261206;1\r\n"
         "ART42$2,5;0,5;20261204;3\r\n",
         {"'ART42',17,NULL,2.0,'2026-12-06',1", "'ART42',0,NULL,1.0,'2026-12-05',2",
          "'ART42',2,NULL,0.5,'2026-12-04',3"},
         {"Attenzione!|warning|16"},
         {"C:\\_Letture\\MovMag_20261206-143107.TMP"},
         "Load 1 C:\\_Letture MovMag_20261206-143005.tmp"},
        {"Scarica5",
         TerminalFile::Scarica5,
         "ART42$17;5\r\nART42;5\r\n\r\nB$1;0,5\r\n",
         {"'ART42',17,NULL,5.0,NULL,NULL", "'B',1,NULL,0.5,NULL,NULL"},
         {"Attenzione!|warning|16"},
         {"C:\\_Letture\\Riconciliazione_20261206-143107.TMP"},
         "Load 2 C:\\_Letture Riconciliazione_20261206-143005.tmp"},
        {"Scarica3, a file with no lines",
         TerminalFile::Scarica3,
         "",
         {},
         {},
         {"C:\\_Letture\\Importato_Rimesse_OF_20261206-143005.tmp"},
         "Load 1 C:\\_Letture Rimesse_OF_20261206-143005.tmp"},
        {"Scarica5, a file with no lines",
         TerminalFile::Scarica5,
         "",
         {},
         {},
         {"C:\\_Letture\\Riconciliazione_20261206-143107.TMP"},
         "Load 2 C:\\_Letture Riconciliazione_20261206-143005.tmp"},
    };
    for (const Scenario& s : scenarios) {
        SCOPED_TRACE(s.name);
        Fresh();
        FakeScaricaVX form(files, false);
        form.sent = s.sent;
        // The transfer takes a minute: Scarica4's and Scarica5's new names are taken after it.
        form.onLoad = [&] { clock.now = {{2026, 12, 6}, 14, 31, 7}; };
        // While a warning is open the import's rows are not committed yet: a process killed
        // then would leave the table as it was.
        std::vector<std::size_t> rowsSeenByOthers;
        ui.onShow = [&] { rowsSeenByOthers.push_back(Rows(s.file).size()); };

        EXPECT_EQ(Run(s.file, TerminalBuild::Full, form), "");

        EXPECT_EQ(Rows(s.file), s.rows);
        EXPECT_EQ(Boxes(), s.boxes);
        EXPECT_EQ(FileNames(), s.filesAfter);
        EXPECT_EQ(form.calls, (std::vector<std::string>{s.formCall, "Unload"}));
        EXPECT_EQ(rowsSeenByOthers, std::vector<std::size_t>(s.boxes.size(), 0));
    }
}

TEST_F(TerminalImport, FullBuildShowsAnErrorKeepsTheRowsBeforeAndTheDownloadName) {
    const std::string kDownload = "C:\\_Letture\\Rimesse_OF_20261206-143005.tmp";
    struct Case {
        const char* name;
        std::string sent;
        std::function<void(TerminalImport&)> arrange;
        std::string box;
        std::vector<std::string> rows;
        std::vector<std::string> filesAfter;
    } cases[] = {
        {"too few fields",
         "A;1;1;1\r\nB;1;1\r\nC;1;1;1\r\n",
         nullptr,
         "9|Subscript out of range|16",
         {"'A',1,1,1.0,'2026-12-06',NULL"},
         {kDownload}},
        {"not a number",
         "A;1;1;1\r\nB;x;1;1\r\n",
         nullptr,
         "13|Type mismatch|16",
         {"'A',1,1,1.0,'2026-12-06',NULL"},
         {kDownload}},
        {"new name taken",
         "A;1;1;1\r\n",
         [](TerminalImport& t) {
             t.files.files[L"C:\\_Letture\\Importato_Rimesse_OF_20261206-143005.tmp"] = "old";
         },
         "58|File already exists|16",
         {"'A',1,1,1.0,'2026-12-06',NULL"},
         {"C:\\_Letture\\Importato_Rimesse_OF_20261206-143005.tmp", kDownload}},
        {"table missing",
         "A;1;1;1\r\n",
         [](TerminalImport& t) { t.Sql("DROP TABLE Murello"); },
         "3078|The Microsoft Jet database engine cannot find the input table or query "
         "'Murello'.  Make sure it exists and that its name is spelled correctly.|16",
         {"(no such table: Murello)"},
         {kDownload}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Fresh();
        FakeScaricaVX form(files, false);
        form.sent = c.sent;
        if (c.arrange) c.arrange(*this);

        EXPECT_EQ(Run(TerminalFile::Scarica3, TerminalBuild::Full, form), "");

        EXPECT_EQ(Boxes(), std::vector<std::string>{c.box});
        EXPECT_EQ(Rows(TerminalFile::Scarica3), c.rows);
        EXPECT_EQ(FileNames(), c.filesAfter);
    }
}

TEST_F(TerminalImport, NothingReceivedReturnsSilently) {
    for (const TerminalBuild build : {TerminalBuild::Full, TerminalBuild::Murello113}) {
        FakeScaricaVX form(files, build == TerminalBuild::Murello113);
        EXPECT_EQ(Run(TerminalFile::Scarica4, build, form), "");
        EXPECT_TRUE(ui.boxes.empty());
        EXPECT_TRUE(files.files.empty());
        EXPECT_EQ(form.calls.size(), 2u);
    }
}

TEST_F(TerminalImport, Murello113ReceivesIntoTempFoxAndArchivesIt) {
    files.folders.clear();
    files.files[kTempFox] = "KO";  // left by an earlier download
    FakeScaricaVX form(files, true);
    bool stalePresentAtLoad = true;
    form.onLoad = [&] { stalePresentAtLoad = files.FileExists(kTempFox); };
    form.sent = "A1;1;2;0,5\r\n\r\nB'2;3;4;1\r\n";

    EXPECT_EQ(Run(TerminalFile::Scarica3, TerminalBuild::Murello113, form), "");
    EXPECT_FALSE(stalePresentAtLoad);
    EXPECT_EQ(form.calls, (std::vector<std::string>{"Load 1  ", "Unload"}));
    EXPECT_EQ(FileNames(), std::vector<std::string>{"C:\\TEMPFOX.TMP"});

    form.sent = "ART42$17;2;20261206;1\r\nART42;5;20261206;1\r\n";
    EXPECT_EQ(Run(TerminalFile::Scarica4, TerminalBuild::Murello113, form), "");
    EXPECT_EQ(FileNames(), std::vector<std::string>{"C:\\_Letture\\20261206-1430_Importato.TMP"});
    EXPECT_EQ(Boxes(), std::vector<std::string>{"Attenzione!|warning|16"});

    // The same minute: both files are imported, the second move fails to the caller.
    clock.now.second = 59;
    form.sent = "B$1;1;20261206;1\r\n";
    EXPECT_EQ(Run(TerminalFile::Scarica4, TerminalBuild::Murello113, form),
              "error 58: File already exists");
    EXPECT_EQ(FileNames(), (std::vector<std::string>{"C:\\TEMPFOX.TMP",
                                                     "C:\\_Letture\\20261206-1430_Importato.TMP"}));

    form.sent = "C$2;0,5\r\nD$;1\r\nE$3;1\r\n";
    EXPECT_EQ(Run(TerminalFile::Scarica5, TerminalBuild::Murello113, form),
              "error 13: Type mismatch");
    EXPECT_EQ(FileNames(), (std::vector<std::string>{"C:\\TEMPFOX.TMP",
                                                     "C:\\_Letture\\20261206-1430_Importato.TMP"}));
    EXPECT_EQ(form.calls.back(), "Unload");
    EXPECT_EQ(form.calls[form.calls.size() - 2], "Load 2  ");

    form.sent = "F$4;2\r\n";
    EXPECT_EQ(Run(TerminalFile::Scarica5, TerminalBuild::Murello113, form), "");
    EXPECT_EQ(FileNames(),
              (std::vector<std::string>{"C:\\_Letture\\20261206-1430_Importato.TMP",
                                        "C:\\_Letture\\20261206-1430_Riconciliazione.TMP"}));
    EXPECT_EQ(Rows(TerminalFile::Scarica3),
              (std::vector<std::string>{
                  "'A1',1,2,0.5,'2026-12-06',NULL", "'B''2',3,4,1.0,'2026-12-06',NULL",
                  "'ART42',17,NULL,2.0,'2026-12-06',1", "'B',1,NULL,1.0,'2026-12-06',1",
                  "'C',2,NULL,0.5,NULL,NULL", "'F',4,NULL,2.0,NULL,NULL"}));
    EXPECT_EQ(ui.boxes.size(), 1u);
}

TEST_F(TerminalImport, Murello113RaisesWhatTheFullBuildShows) {
    files.files[kTempFox] = "KO";
    files.readOnly.insert(kTempFox);
    FakeScaricaVX form(files, true);
    form.sent = "A;1;1;1\r\n";
    EXPECT_EQ(Run(TerminalFile::Scarica3, TerminalBuild::Murello113, form),
              "error 70: Permission denied");
    EXPECT_TRUE(form.calls.empty());

    files.readOnly.clear();
    form.onLoad = [] { throw RaisedError{424, L"Object required"}; };
    EXPECT_EQ(Run(TerminalFile::Scarica3, TerminalBuild::Murello113, form),
              "error 424: Object required");
    EXPECT_EQ(form.calls, (std::vector<std::string>{"Load 1  ", "Unload"}));
    EXPECT_TRUE(ui.boxes.empty());
}

}  // namespace
}  // namespace reader

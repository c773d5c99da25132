// Scarica1 in each build, on the in-memory link, files, boxes and clock, into a real SQLite
// database made for each case.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "core/downloads/infrared_download.h"
#include "core/errors.h"
#include "core/text_encoding.h"
#include "platform/database/sqlite_database.h"
#include "platform/files/memory_file_system.h"
#include "platform/infrared/memory_infrared_link.h"
#include "platform/ui/memory_message_loop.h"
#include "platform/ui/memory_user_interface.h"

namespace reader {
namespace {

struct Box {
    std::wstring text;
    std::wstring title;
    unsigned style;
    bool operator==(const Box&) const = default;
};

const std::wstring kWrongCode =
    L"E' stato trovato un codice errato. Il programma continuer\u00e0 a scaricare il rimanente "
    L"del contenuto.";
const std::string kRecordA = "#ART42$17;2;20261206;1;";
const std::string kRowA = "'#ART42',17,2.0,'2026-12-06',1";
const std::string kRecordB = "#O'B7$3;0.5;20270131;2;";
const std::string kRowB = "'#O''B7',3,0.5,'2027-01-31',2";
constexpr const char* kNone = "<none>";

class InfraredDownloadTest : public testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/reader_infrared_XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder_ = pattern;
        dbPath_ = folder_ + "/letture.db";
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(dbPath_.c_str(), &db), SQLITE_OK);
        ASSERT_EQ(sqlite3_exec(db,
                               "CREATE TABLE Murello (Codart TEXT, IdLotto INTEGER, "
                               "\"Quantit\xC3\xA0\" REAL, Data DATE, Rep INTEGER)",
                               nullptr, nullptr, nullptr),
                  SQLITE_OK);
        sqlite3_close(db);
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }

    // Runs Scarica1 `calls` times in the build; the number of an error raised to the caller, or 0.
    int Run(ReaderBuild build, int calls = 1) {
        variant_ = {build, VariantName(build)};
        const std::wstring dbPath = FromUtf8(dbPath_);
        int raised = 0;
        for (int i = 0; i < calls; ++i) {
            try {
                Scarica1Download(
                    {link, loop, loop, ui, files, engine, variant_, 5, dbPath, ultimoRecord});
            } catch (const RaisedError& error) {
                raised = error.number;
            }
        }
        return raised;
    }
    static std::wstring VariantName(ReaderBuild build) {
        switch (build) {
            case ReaderBuild::Murello11500:
                return L"Murello11500";
            case ReaderBuild::Murello113:
                return L"Murello113";
            case ReaderBuild::Murello111:
                return L"ZaradEdadod111";
            default:
                return L"ZaradEdadod110";
        }
    }

    std::vector<std::string> Rows() {
        std::vector<std::string> rows;
        sqlite3* db = nullptr;
        sqlite3_open_v2(dbPath_.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
        sqlite3_stmt* statement = nullptr;
        sqlite3_prepare_v2(db,
                           "SELECT quote(Codart)||','||quote(IdLotto)||','||"
                           "quote(\"Quantit\xC3\xA0\")||','||quote(Data)||','||quote(Rep) "
                           "FROM Murello ORDER BY rowid",
                           -1, &statement, nullptr);
        while (sqlite3_step(statement) == SQLITE_ROW) {
            rows.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)));
        }
        sqlite3_finalize(statement);
        sqlite3_close(db);
        return rows;
    }
    std::vector<Box> Boxes() const {
        std::vector<Box> boxes;
        for (const auto& box : ui.boxes) boxes.push_back({box.text, box.title, box.style});
        return boxes;
    }
    std::string File(const std::wstring& path) {
        const auto found = files.files.find(path);
        return found == files.files.end() ? kNone : found->second;
    }

    std::string folder_;
    std::string dbPath_;
    MemoryMessageLoop loop;
    MemoryInfraredLink link{loop};
    MemoryUserInterface ui;
    MemoryFileSystem files;
    SqliteEngine engine{0};
    BuildVariant variant_;
    std::string ultimoRecord;
};

TEST_F(InfraredDownloadTest, EachBuildsMessagesStatusFileAndErrors) {
    struct Case {
        const char* name;
        ReaderBuild build;
        std::vector<std::int32_t> opens;
        std::vector<std::string> answers;  // "" hears nothing
        std::vector<Box> boxes;
        int raised;
        std::vector<std::string> rows;
        std::string fullStatus;   // C:\_Letture\TEMPFOX.TMP
        std::string fixedStatus;  // C:\TEMPFOX.TMP
    } cases[] = {
        {"full: two records",
         ReaderBuild::Murello11500,
         {1},
         {"ACK", kRecordA, kRecordB, "EOF"},
         {},
         0,
         {kRowA, kRowB},
         kNone,
         kNone},
        {"full: not opened",
         ReaderBuild::Murello11500,
         {0},
         {},
         {{L"Errore appertura porta, rilanciare scarico", L"Murello11500", 0u}},
         0,
         {},
         "KO\r\n",
         kNone},
        {"full: no ACK",
         ReaderBuild::Murello11500,
         {1},
         {},
         {{L"Errore timeout, rilanciare lo scarico", L"Murello11500", 16u}},
         0,
         {},
         kNone,
         kNone},
        {"full: silence after a record keeps nothing",
         ReaderBuild::Murello11500,
         {1},
         {"ACK", kRecordA, ""},
         {{L"Errore timeout, rilanciare scarico", L"Murello11500", 0u}},
         0,
         {},
         "KO\r\n",
         kNone},
        {"full: wrong code",
         ReaderBuild::Murello11500,
         {1},
         {"ACK", "#NODOLLAR", kRecordA, "EOF"},
         {{kWrongCode, L"Murello11500", 16u}},
         0,
         {kRowA},
         kNone,
         kNone},
        {"full: a bad value is shown, nothing kept",
         ReaderBuild::Murello11500,
         {1},
         {"ACK", kRecordA, "#A$1;x;20261206;1;", "EOF"},
         {{L"Type mismatch", L"13", 16u}},
         0,
         {},
         kNone,
         kNone},
        {"113: not opened",
         ReaderBuild::Murello113,
         {0},
         {},
         {{L"Errore appertura porta, rilanciare scarico", L"Murello113", 0u}},
         0,
         {},
         kNone,
         "KO\r\n"},
        {"113: a bad value is raised",
         ReaderBuild::Murello113,
         {1},
         {"ACK", kRecordA, "#A$1;x;20261206;1;", "EOF"},
         {},
         13,
         {},
         kNone,
         kNone},
        {"111: silence",
         ReaderBuild::Murello111,
         {1},
         {"ACK", ""},
         {{L"Errore timeout, rilanciare scarico", L"ZaradEdadod111", 0u}},
         0,
         {},
         kNone,
         "KO\r\n"},
        {"111: wrong code",
         ReaderBuild::Murello111,
         {1},
         {"ACK", "#NODOLLAR", kRecordA, "EOF"},
         {{kWrongCode, L"ZaradEdadod111", 16u}},
         0,
         {kRowA},
         kNone,
         kNone},
        {"110: wrong code raises 5",
         ReaderBuild::Murello110,
         {1},
         {"ACK", kRecordA, "#NODOLLAR", "EOF"},
         {},
         5,
         {},
         kNone,
         kNone},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        SetUp();
        link = MemoryInfraredLink{loop};
        ui = MemoryUserInterface{};
        files = MemoryFileSystem{};
        link.openResults.assign(c.opens.begin(), c.opens.end());
        for (const std::string& answer : c.answers) {
            if (answer.empty()) {
                link.AddSilence();
            } else {
                link.AddAnswer(answer);
            }
        }

        EXPECT_EQ(Run(c.build), c.raised);

        EXPECT_EQ(Boxes(), c.boxes);
        EXPECT_EQ(Rows(), c.rows);
        EXPECT_EQ(File(L"C:\\_Letture\\TEMPFOX.TMP"), c.fullStatus);
        EXPECT_EQ(File(L"C:\\TEMPFOX.TMP"), c.fixedStatus);
        EXPECT_EQ(files.FolderExists(L"C:\\_Letture"), c.build == ReaderBuild::Murello11500);
        EXPECT_FALSE(link.open);
    }
}

}  // namespace
}  // namespace reader

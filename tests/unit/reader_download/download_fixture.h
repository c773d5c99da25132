// A reader object on the in-memory serial line and message loop, downloading into a real SQLite
// database made for each test.
#pragma once

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/serial/memory_serial_line.h"
#include "platform/ui/memory_user_interface.h"
#include "core/reader_object.h"
#include "platform/database/sqlite_database.h"
#include "core/text_encoding.h"

namespace reader {

class DownloadFixture : public testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/reader_download_XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder_ = pattern;
        dbPath_ = folder_ + "/letture.db";
        Sql("CREATE TABLE Murello (Codart TEXT, [id sottoOrd] INTEGER, IdLotto INTEGER, "
            "\"Quantit\xC3\xA0\" REAL)");

        loop = std::make_shared<MemoryMessageLoop>();
        auto serial = std::make_unique<MemorySerialLine>(*loop);
        line = serial.get();
        ui = std::make_shared<MemoryUserInterface>();
        ReaderServices services;
        services.serial = LazyService<SerialLine>::Of(std::move(serial));
        services.databases = LazyService<DatabaseEngine>::Of(std::make_shared<SqliteEngine>(0));
        services.ui = LazyService<UserInterface>::Of(ui);
        services.messages = LazyService<MessageLoop>::Of(loop);
        services.clock = LazyService<MonotonicClock>::Of(loop);
        object = std::make_unique<ReaderObject>(std::move(services));
        // The pen download makes and configures its line on first use; the tests start there.
        object->Pen().Line();
        object->Porta = 3;
        object->DbPath = FromUtf8(dbPath_);
    }

    void TearDown() override {
        object.reset();
        std::filesystem::remove_all(folder_);
    }

    // Runs a statement on the test's database through its own connection.
    void Sql(const std::string& statement) {
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(dbPath_.c_str(), &db), SQLITE_OK);
        char* error = nullptr;
        const int rc = sqlite3_exec(db, statement.c_str(), nullptr, nullptr, &error);
        const std::string message = error ? error : "";
        sqlite3_free(error);
        sqlite3_close(db);
        ASSERT_EQ(rc, SQLITE_OK) << message;
    }

    // The rows of "Murello" in insertion order, each as SQL literals ("'A1',12,7,3.0").
    std::vector<std::string> Rows() {
        std::vector<std::string> rows;
        sqlite3* db = nullptr;
        EXPECT_EQ(sqlite3_open_v2(dbPath_.c_str(), &db, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
        sqlite3_stmt* statement = nullptr;
        EXPECT_EQ(sqlite3_prepare_v2(db,
                                     "SELECT quote(Codart)||','||quote([id sottoOrd])||','||"
                                     "quote(IdLotto)||','||quote(\"Quantit\xC3\xA0\") "
                                     "FROM Murello ORDER BY rowid",
                                     -1, &statement, nullptr),
                  SQLITE_OK);
        while (sqlite3_step(statement) == SQLITE_ROW) {
            rows.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)));
        }
        sqlite3_finalize(statement);
        sqlite3_close(db);
        return rows;
    }

    std::string folder_;
    std::string dbPath_;
    std::shared_ptr<MemoryMessageLoop> loop;
    MemorySerialLine* line = nullptr;
    std::shared_ptr<MemoryUserInterface> ui;
    std::unique_ptr<ReaderObject> object;
};

}  // namespace reader

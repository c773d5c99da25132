// The reader-program download on in-memory files and program starts, storing into the fixture's
// real SQLite database: what is started, what is stored, what is raised or shown.
#include <optional>

#include "download_fixture.h"
#include "kit/memory_program_runner.h"
#include "platform/files/memory_file_system.h"
#include "platform/programs/memory_host_run_time.h"

namespace reader {
namespace {

using ReaderProgramDownload = DownloadFixture;

TEST_F(ReaderProgramDownload, StoresTheLinesOfTheFileTheProgramLeaves) {
    Sql("ALTER TABLE Murello ADD COLUMN Data DATETIME");
    const std::wstring result = L"C:\\Dati\\r.txt";
    struct Case {
        const char* name;
        std::optional<std::string> file;  // what the program leaves; nothing: no file
        bool startFails;
        std::vector<std::string> rows;
        int error;
        std::size_t boxes;
    } cases[] = {
        {"readings",
         "A12;5\r\n  \r\n\r\nB7;5,5;x\r\nCaff\xE8;1",
         false,
         {"'A12',NULL,0,5.0", "'B7',NULL,0,5.5", "'Caff\xC3\xA8',NULL,0,1.0"},
         0,
         0},
        {"a line without its quantity", "A12;5\r\nA12\r\nC1;1", false, {"'A12',NULL,0,5.0"}, 9, 0},
        {"a quantity that is no number", "A1;1\r\nA2;due", false, {"'A1',NULL,0,1.0"}, 3421, 0},
        {"blank lines only", "  \r\n", false, {}, 0, 0},
        {"no result file", std::nullopt, false, {}, 0, 1},
        {"no reader program, an old file", "Z9;1", true, {}, 53, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Sql("DELETE FROM Murello");
        auto files = std::make_shared<MemoryFileSystem>();
        auto programs = std::make_shared<kit::MemoryProgramRunner>();
        auto host = std::make_shared<MemoryHostRunTime>();
        auto boxes = std::make_shared<MemoryUserInterface>();
        if (c.startFails && c.file) files->files[result] = *c.file;
        programs->refuse = c.startFails;
        programs->whileRunning = [&](const std::string&) {
            if (c.file) files->files[result] = *c.file;
        };
        ReaderServices services;
        services.databases = LazyService<DatabaseEngine>::Of(std::make_shared<SqliteEngine>(0));
        services.files = LazyService<FileSystem>::Of(files);
        services.programs = LazyService<kit::ProgramRunner>::Of(programs);
        services.host = LazyService<HostRunTime>::Of(host);
        services.ui = LazyService<UserInterface>::Of(boxes);
        ReaderObject reader(std::move(services));
        std::wstring database = FromUtf8(dbPath_), file = result;
        ReaderProgramOptions options;
        int error = 0;
        try {
            reader.Scarica2(database, file, options);
        } catch (const RaisedError& e) {
            error = e.number;
        }
        EXPECT_EQ(error, c.error);
        EXPECT_EQ(Rows(), c.rows);
        ASSERT_EQ(programs->starts.size(), 1u);
        EXPECT_EQ(programs->starts[0].path,
                  "C:\\Programmi\\Murello\\IR_Read.exe C:\\Dati\\r.txt,1,1,1,1,1,0,0,0,0,10");
        EXPECT_TRUE(programs->starts[0].hidden);
        EXPECT_EQ(programs->starts[0].waited, !c.startFails);
        ASSERT_EQ(boxes->boxes.size(), c.boxes);
        if (c.boxes == 1) {
            EXPECT_EQ(boxes->boxes[0].text,
                      L"Non dato \u00e8 stato ricevuto dal lettore con murello.");
            EXPECT_EQ(boxes->boxes[0].title, L"Lettura dati...");
            EXPECT_EQ(boxes->boxes[0].style, 16u);
        }
    }
}

}  // namespace
}  // namespace reader

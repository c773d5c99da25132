#include <gtest/gtest.h>

#include <chrono>

#include "download_fixture.h"

namespace reader {
namespace {

using namespace std::chrono_literals;
using Download = DownloadFixture;

const std::wstring kTimeoutText =
    L"Controllare il collegamento con la penna ottica e le impostazioni della porta seriale.";

TEST_F(Download, ThreeReadingsThenEmptyGiveThreeRowsEachAfterItsOwnRequest) {
    line->AddRecord("A1;12;7;3");
    line->AddRecord("B-22;1;2;0,5");
    line->AddRecord("C3;100;200;12.25");
    line->AddRecord("EMPTY");
    std::vector<std::size_t> rowsAtRequest;
    line->onOutput = [&](std::string_view) { rowsAtRequest.push_back(Rows().size()); };

    object->Scarica();

    EXPECT_EQ(Rows(),
              (std::vector<std::string>{"'A1',12,7,3.0", "'B-22',1,2,0.5", "'C3',100,200,12.25"}));
    EXPECT_EQ(line->written, "cccc");
    EXPECT_EQ(rowsAtRequest, (std::vector<std::size_t>{0, 1, 2, 3}));
    EXPECT_TRUE(ui->shown.empty());
    EXPECT_FALSE(line->PortOpen());
    EXPECT_EQ(line->commPort, 3);
    // The line was opened on the port and closed at the end; nothing else was reconfigured.
    EXPECT_EQ(std::vector<std::string>(line->calls.begin() + 11, line->calls.end()),
              (std::vector<std::string>{"CommPort=3", "PortOpen=True", "PortOpen=False"}));
}

TEST_F(Download, EndMarkerInAnyCaseEndsAtOnce) {
    for (const char* marker : {"EMPTY", "empty", "eMpTy"}) {
        SCOPED_TRACE(marker);
        line->written.clear();
        line->AddRecord(marker);
        line->AddRecord("A1;1;1;1");  // never asked for
        object->Scarica();
        EXPECT_EQ(line->written, "c");
        EXPECT_TRUE(Rows().empty());
        EXPECT_TRUE(ui->shown.empty());
        EXPECT_FALSE(line->PortOpen());
        line->script.clear();
    }
}

TEST_F(Download, ValuesAreStoredExactlyAsTyped) {
    line->AddRecord("Q1;1;1;3.0");
    line->AddRecord("Q2;1;1;3,0");
    line->AddRecord("Q3;1;1;2.75");
    line->AddRecord("Q4;1;1;2,75");
    line->AddRecord("O'Brien;2;3;1");
    line->AddRecord("X',1,1,1 UNION SELECT 'Y;4;5;1");
    line->AddRecord("Caff\xE8 Qt\xE0;5;6;1");
    line->AddRecord(" 7 ;+8; 9 ;-1,5");
    line->AddRecord("big;2147483647;-2147483648;1E3");
    line->AddRecord("round;2,5;3,5;0");
    line->AddRecord(";0;0;0");
    line->AddRecord("EMPTY");

    object->Scarica();

    EXPECT_TRUE(ui->shown.empty()) << (ui->boxes.empty() ? "" : ToUtf8(ui->boxes[0].text));
    EXPECT_EQ(Rows(), (std::vector<std::string>{
                          "'Q1',1,1,3.0",
                          "'Q2',1,1,3.0",
                          "'Q3',1,1,2.75",
                          "'Q4',1,1,2.75",
                          "'O''Brien',2,3,1.0",
                          "'X'',1,1,1 UNION SELECT ''Y',4,5,1.0",
                          "'Caff\xC3\xA8 Qt\xC3\xA0',5,6,1.0",
                          "' 7 ',8,9,-1.5",
                          "'big',2147483647,-2147483648,1000.0",
                          "'round',2,4,0.0",
                          "'',0,0,0.0",
                      }));
}

TEST_F(Download, ARecordInPiecesAndStrayLineEventsStillGiveOneRow) {
    line->script.push_back({{"A1;1", "2;7;", "3\n", "\r"}, 300ms});
    line->AddRecord("EMPTY");
    line->onOutput = [&](std::string_view) { line->PostEvent(kCommEventBreak); };

    object->Scarica();

    EXPECT_EQ(Rows(), std::vector<std::string>{"'A1',12,7,3.0"});
    EXPECT_EQ(line->written, "cc");
    EXPECT_TRUE(ui->shown.empty());
}

TEST_F(Download, BadRecordShowsTheErrorAndKeepsEarlierRows) {
    struct Case {
        const char* record;
        std::wstring title;
        std::wstring text;
    } cases[] = {
        {"B2;5;6", L"Errore n. 5", L"Invalid procedure call or argument"},
        {"B2", L"Errore n. 5", L"Invalid procedure call or argument"},
        {"B2;x;6;1", L"Errore n. 13", L"Type mismatch"},
        {"B2;5;6;", L"Errore n. 13", L"Type mismatch"},
        {"B2;5;6;1;2", L"Errore n. 13", L"Type mismatch"},
        {"B2;5;9999999999;1", L"Errore n. 6", L"Overflow"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.record);
        TearDown();
        SetUp();
        line->AddRecord("A1;12;7;3");
        line->AddRecord(c.record);
        line->AddRecord("C3;1;1;1");

        object->Scarica();

        EXPECT_EQ(Rows(), std::vector<std::string>{"'A1',12,7,3.0"});
        EXPECT_EQ(line->written, "cc");
        EXPECT_EQ(ui->shown, (std::vector<std::wstring>{L"beep", L"box"}));
        ASSERT_EQ(ui->boxes.size(), 1u);
        EXPECT_EQ(ui->boxes[0].title, c.title);
        EXPECT_EQ(ui->boxes[0].text, c.text);
        EXPECT_EQ(ui->boxes[0].style, 0x10u);
        EXPECT_FALSE(line->PortOpen());
    }
}

TEST_F(Download, SilentPenTimesOutAfterOneAndAHalfToTwoAndAHalfSeconds) {
    // The wait starts from the clock rounded to a whole second (half to even), as the host's
    // timer did, so when the request goes out within the second decides the length.
    struct Case {
        std::chrono::milliseconds requestAt;  // within the second
        std::chrono::milliseconds wait;
    } cases[] = {
        {0ms, 2000ms},   {200ms, 1800ms}, {499ms, 1501ms}, {500ms, 1500ms},
        {501ms, 2499ms}, {800ms, 2200ms}, {999ms, 2001ms},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.requestAt.count());
        TearDown();
        SetUp();
        loop->now = std::chrono::seconds(5000) + c.requestAt;  // 5000 is even
        line->onOutput = [&](std::string_view) {
            // Only the first request is timed: the record answers at once.
        };
        const auto start = loop->now;

        object->Scarica();

        const auto waited = loop->now - start;
        EXPECT_GT(waited, c.wait);
        EXPECT_LE(waited, c.wait + 2ms);
        EXPECT_GE(waited, 1500ms);
        EXPECT_LE(waited, 2502ms);
        EXPECT_EQ(ui->shown, std::vector<std::wstring>{L"box"});  // no beep
        ASSERT_EQ(ui->boxes.size(), 1u);
        EXPECT_EQ(ui->boxes[0].title, L"TimeOut Error");
        EXPECT_EQ(ui->boxes[0].text, kTimeoutText);
        EXPECT_EQ(ui->boxes[0].style, 0x10u);
        EXPECT_EQ(line->written, "c");  // the request is never repeated
        EXPECT_FALSE(line->PortOpen());
        // It slept until the deadline instead of polling.
        EXPECT_LE(loop->waitCalls, 2);
    }
}

TEST_F(Download, SlowAnswersWithinTheWindowAreTakenAndLaterOnesTimeOut) {
    line->script.push_back({{"A1;1;1;1\n\r"}, 1400ms});
    line->script.push_back({{"A2;2;2;2\n\r"}, 1499ms});
    line->script.push_back({{"A3;3;3;3\n\r"}, 2600ms});
    object->Scarica();
    EXPECT_EQ(Rows(), (std::vector<std::string>{"'A1',1,1,1.0", "'A2',2,2,2.0"}));
    ASSERT_EQ(ui->boxes.size(), 1u);
    EXPECT_EQ(ui->boxes[0].title, L"TimeOut Error");
    EXPECT_EQ(line->written, "ccc");
}

TEST_F(Download, PortErrorsAreShownWithTheirNumbers) {
    struct Case {
        const char* name;
        std::int32_t porta;
        bool busy;
        std::wstring title;
        std::wstring text;
    } cases[] = {
        {"held by another program", 3, true, L"Errore n. 8005",
         L"La porta selezionata risulta gi\u00e0 aperta da un altro programma."},
        {"no such port", 9, false, L"Errore n. 8002", L"Invalid Port Number"},
        {"port 0", 0, false, L"Errore n. 8002", L"Invalid Port Number"},
        {"beyond 16 bits", 70000, false, L"Errore n. 6", L"Overflow"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        SetUp();
        object->Porta = c.porta;
        if (c.busy) line->busyPorts.insert(3);
        line->AddRecord("A1;1;1;1");

        object->Scarica();

        EXPECT_EQ(ui->shown, (std::vector<std::wstring>{L"beep", L"box"}));
        ASSERT_EQ(ui->boxes.size(), 1u);
        EXPECT_EQ(ui->boxes[0].title, c.title);
        EXPECT_EQ(ui->boxes[0].text, c.text);
        EXPECT_EQ(ui->boxes[0].style, 0x10u);
        EXPECT_EQ(line->written, "");
        EXPECT_TRUE(Rows().empty());
    }
}

TEST_F(Download, DatabaseErrorsAreShownAndThePortIsClosed) {
    struct Case {
        const char* name;
        std::string setup;
        bool missingFile;
        std::wstring title;
    } cases[] = {
        {"missing file", "", true, L"Errore n. 3024"},
        {"missing table", "DROP TABLE Murello", false, L"Errore n. 3078"},
        {"missing column",
         "DROP TABLE Murello; CREATE TABLE Murello (Codart TEXT, IdLotto INTEGER, "
         "\"Quantit\xC3\xA0\" REAL)",
         false, L"Errore n. 3127"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        SetUp();
        if (!c.setup.empty()) Sql(c.setup);
        if (c.missingFile) object->DbPath = FromUtf8(folder_ + "/missing.db");
        line->AddRecord("A1;1;1;1");

        object->Scarica();

        ASSERT_EQ(ui->boxes.size(), 1u);
        EXPECT_EQ(ui->boxes[0].title, c.title);
        EXPECT_FALSE(line->PortOpen());
        if (c.missingFile) {
            EXPECT_EQ(ui->boxes[0].text,
                      L"Could not find file '" + FromUtf8(folder_) + L"/missing.db'.");
            EXPECT_FALSE(std::filesystem::exists(folder_ + "/missing.db"));
        }
    }
}

TEST_F(Download, ADatabasePathThatNamesNoFileAsksTheDeviceForNothing) {
    // A new object's DbPath is empty; no reading may be taken from the pen before the
    // database is known to be there.
    for (const std::wstring path : {L"", L":memory:"}) {
        SCOPED_TRACE(ToUtf8(path));
        TearDown();
        SetUp();
        object->DbPath = path;
        line->AddRecord("A1;1;1;1");

        object->Scarica();

        EXPECT_EQ(line->written, "");
        EXPECT_EQ(line->script.size(), 1u);
        EXPECT_EQ(ui->shown, (std::vector<std::wstring>{L"beep", L"box"}));
        ASSERT_EQ(ui->boxes.size(), 1u);
        EXPECT_EQ(ui->boxes[0].title, L"Errore n. 3024");
        EXPECT_EQ(ui->boxes[0].text, L"Could not find file '" + path + L"'.");
        EXPECT_FALSE(line->PortOpen());
    }
}

TEST_F(Download, ASecondDownloadOnTheSameObjectWorksAfterAnyError) {
    struct Case {
        const char* name;
        std::vector<std::string> firstRecords;  // then silence
    } cases[] = {
        {"after a bad record", {"A1;1;1;1", "bad"}},
        {"after a time-out", {"A1;1;1;1"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        SetUp();
        for (const auto& r : c.firstRecords) line->AddRecord(r);
        object->Scarica();
        ASSERT_EQ(ui->boxes.size(), 1u);
        EXPECT_FALSE(line->PortOpen());

        line->AddRecord("B1;2;2;2");
        line->AddRecord("EMPTY");
        object->Scarica();

        EXPECT_EQ(ui->boxes.size(), 1u);
        EXPECT_EQ(Rows(), (std::vector<std::string>{"'A1',1,1,1.0", "'B1',2,2,2.0"}));
        EXPECT_FALSE(line->PortOpen());
    }

    // A port held by another program, then freed.
    TearDown();
    SetUp();
    line->busyPorts.insert(3);
    object->Scarica();
    ASSERT_EQ(ui->boxes.size(), 1u);
    line->busyPorts.clear();
    line->AddRecord("C1;3;3;3");
    line->AddRecord("EMPTY");
    object->Scarica();
    EXPECT_EQ(ui->boxes.size(), 1u);
    EXPECT_EQ(Rows(), std::vector<std::string>{"'C1',3,3,3.0"});
}

TEST_F(Download, LateAnswerOfAnEarlierDownloadIsNotTakenForTheNextOne) {
    line->script.push_back({{"LATE;1;1;1\n\r"}, 3000ms});
    object->Scarica();  // times out
    line->AddRecord("B1;2;2;2");
    line->AddRecord("EMPTY");
    object->Scarica();
    EXPECT_EQ(Rows(), std::vector<std::string>{"'B1',2,2,2.0"});
}

}  // namespace
}  // namespace reader

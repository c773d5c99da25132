// Given a scripted infrared reader behind the stand-in IrLib.dll beside the component and a
// database made by the test, when a VBScript sets Porta and DbPath and calls Scarica1, the user
// sees these boxes, the reader receives these commands, the table holds these rows and the
// status file says this. Also the link's contract suite, against the stand-in.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "e2e/harness.h"
#include "infrared_scenario.h"

namespace infrared_e2e {
namespace {

TEST(ReaderInfraredUnderWine, TheLinkContractPassesAgainstIrLib) {
    e2e::ProcessOptions options;
    options.timeout = 60s;
    const e2e::ProcessResult result = e2e::RunWine(
        {e2e::TestingBinary("reader_infrared_contract.exe").string(), "--gtest_color=no"}, options);
    ASSERT_FALSE(result.timed_out) << result.out << result.err;
    EXPECT_EQ(0, result.exit_code) << result.out << result.err;
    EXPECT_NE(std::string::npos, result.out.find("[  PASSED  ] 2 tests")) << result.out;
}

INSTANTIATE_TEST_SUITE_P(Storage, ReaderInfrared, testing::ValuesIn(e2e::kStorages),
                         [](const testing::TestParamInfo<e2e::Storage>& info) {
                             return std::string(info.param.name);
                         });

TEST_P(ReaderInfrared, FullBuildScenarios) {
    Installed installed(kMurello11500, Library::Standin);
    struct Case {
        const char* name;
        std::vector<std::string> script;
        int calls;
        std::vector<Box> boxes;
        std::vector<std::string> commands;
        std::vector<std::string> rows;
        std::string status;
    } cases[] = {
        {"no records",
         {"answer 0 ACK", "answer 0 EOF"},
         1,
         {},
         {"LEGGI1", "SEGUE0", "ELIMINA"},
         {},
         "<none>"},
        {"two records, the handshake in lower case",
         {"answer 0 ack", "answer 0 " + kRecordA, "answer 0 " + kRecordB, "answer 0 eof"},
         1,
         {},
         {"LEGGI1", "SEGUE0", "SEGUE1", "SEGUE2", "ELIMINA"},
         {kRowA, kRowB},
         "<none>"},
        {"a record without $ is warned about and counted",
         {"answer 0 ACK", "answer 0 #NODOLLAR;1;2;3;", "answer 0 " + kRecordA, "answer 0 EOF"},
         1,
         {{"Murello11500", kWrongCode, "error"}},
         {"LEGGI1", "SEGUE0", "SEGUE1", "SEGUE2", "ELIMINA"},
         {kRowA},
         "<none>"},
        {"nothing heard after a record: time-out, KO, nothing kept",
         {"answer 0 ACK", "answer 0 " + kRecordA, "answer 40"},
         1,
         {{"Murello11500", kTransferTimeout, "none"}},
         {"LEGGI1", "SEGUE0", "SEGUE1"},
         {},
         "KO\r\n"},
        {"after a time-out the next download gets everything again",
         {"answer 0 ACK", "answer 0 " + kRecordA, "answer 0 XYZ", "answer 0 ACK",
          "answer 0 " + kRecordA, "answer 0 " + kRecordB, "answer 0 EOF"},
         2,
         {{"Murello11500", kTransferTimeout, "none"}},
         {"LEGGI1", "SEGUE0", "SEGUE1", "LEGGI1", "SEGUE0", "SEGUE1", "SEGUE2", "ELIMINA"},
         {kRowA, kRowB},
         "KO\r\n"},
        {"no ACK within two seconds",
         {},
         1,
         {{"Murello11500", kHandshakeTimeout, "error"}},
         {"LEGGI1", "LEGGI1", "LEGGI1", "LEGGI1", "LEGGI1", "LEGGI1"},
         {},
         "<none>"},
        {"the link does not open",
         {"open 0"},
         1,
         {{"Murello11500", kNotOpened, "none"}},
         {},
         {},
         "KO\r\n"},
        {"another open result: no handshake",
         {"open 2", "answer 0 " + kRecordA, "answer 0 EOF"},
         1,
         {},
         {"SEGUE0", "SEGUE1", "ELIMINA"},
         {kRowA},
         "<none>"},
        {"a slow record is asked for again",
         {"answer 0 ACK", "answer 1200 " + kRecordA, "answer 0 EOF"},
         1,
         {},
         {"LEGGI1", "SEGUE0", "RIPROVA0", "SEGUE1", "ELIMINA"},
         {kRowA},
         "<none>"},
        {"a run-time error closes the link; the next download opens it",
         {"answer 0 ACK", "answer 0 " + kRecordA, "answer 0 #BAD$x;1;20261206;1;", "answer 0 ACK",
          "answer 0 " + kRecordA, "answer 0 EOF"},
         2,
         {{"13", "Type mismatch", "error"}},
         {"LEGGI1", "SEGUE0", "SEGUE1", "LEGGI1", "SEGUE0", "SEGUE1", "ELIMINA"},
         {kRowA},
         "<none>"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Sql("DELETE FROM Murello");
        RemoveStatusFiles();

        const Outcome outcome = Download(kMurello11500, c.script, c.calls);

        EXPECT_EQ(outcome.boxes, c.boxes);
        EXPECT_EQ(Commands(outcome), c.commands);
        EXPECT_EQ(Rows(), c.rows);
        if (dao_ && std::find(c.rows.begin(), c.rows.end(), kRowB) != c.rows.end()) {
            // The values went to the engine as values, never inside its SQL.
            EXPECT_EQ(dao_->ValuesOutsideParameters({"#O'B7", "0.5", "2027-01-31"}),
                      std::vector<std::string>{});
        }
        EXPECT_EQ(Status("C:\\_Letture\\TEMPFOX.TMP"), c.status);
        EXPECT_EQ(Status("C:\\TEMPFOX.TMP"), "<none>");
        EXPECT_TRUE(std::filesystem::is_directory(e2e::UnixPath("C:\\") / "_Letture"));
        EXPECT_TRUE(LinkClosed(outcome));
        EXPECT_EQ(outcome.results, std::vector<std::string>(c.calls, "0|"));
        ASSERT_FALSE(outcome.calls.empty());
        EXPECT_EQ(outcome.calls[0].function, "vbOpenIrCom");
        EXPECT_EQ(outcome.calls[0].arguments[0], "5");
        EXPECT_EQ(outcome.calls[0].arguments[1], "38400");
        // Half a second after opening, and before ELIMINA; every read gets 100 blanks and a NUL.
        for (std::size_t i = 1; i < outcome.calls.size(); ++i) {
            const Call& call = outcome.calls[i];
            if (call.function == "vbReadIrCom") {
                EXPECT_EQ(call.arguments.at(0), "blank100");
            }
            const bool paused = outcome.calls[i - 1].function == "vbOpenIrCom" ||
                                (call.arguments.size() > 0 && call.arguments[0] == "ELIMINA\\r");
            if (paused) {
                EXPECT_GE(call.ms - outcome.calls[i - 1].ms, 500) << call.function;
            }
        }
    }
}

TEST_F(ReaderInfraredSqliteFile, MissingLibraryAndMissingFunction) {
    struct Case {
        const char* name;
        const Build& build;
        Library library;
        std::vector<Box> boxes;
        std::string result;
        std::vector<std::string> functions;  // called in the library
    } cases[] = {
        {"no library, trapped",
         kMurello11500,
         Library::None,
         {{"53", "File not found: IrLib.dll", "error"}},
         "0|",
         {}},
        {"no library, raised", kMurello113, Library::None, {}, "53|File not found: IrLib.dll", {}},
        {"no WriteIrCom, trapped",
         kMurello11500,
         Library::WithoutWrite,
         {{"453", "Can't find DLL entry point WriteIrCom in IrLib.dll", "error"}},
         "0|",
         {"vbOpenIrCom", "CloseIrCom"}},
        {"no WriteIrCom, raised",
         kMurello110,
         Library::WithoutWrite,
         {},
         "453|Can't find DLL entry point WriteIrCom in IrLib.dll",
         {"vbOpenIrCom", "CloseIrCom"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Installed installed(c.build, c.library);
        const Outcome outcome = Download(c.build, {"answer 0 ACK", "answer 0 EOF"});
        EXPECT_EQ(outcome.boxes, c.boxes);
        EXPECT_EQ(outcome.results, std::vector<std::string>{c.result});
        std::vector<std::string> functions;
        for (const Call& call : outcome.calls) functions.push_back(call.function);
        EXPECT_EQ(functions, c.functions);
        EXPECT_EQ(Status(c.build.statusFile), "<none>");
    }
}

// The reduced builds: the status file in C:\, no folder, errors raised to the caller; Murello110
// has no wrong-code check.
TEST_P(ReaderInfrared, ReducedBuilds) {
    struct Case {
        const char* name;
        std::vector<std::string> script;
        std::vector<Box> boxes;  // with the build's title
        std::string result;
        std::vector<std::string> rows;
        std::string status;
    };
    const std::vector<std::string> withoutDollar = {"answer 0 ACK", "answer 0 " + kRecordA,
                                                    "answer 0 #NODOLLAR;1;2;3;",
                                                    "answer 0 " + kRecordB, "answer 0 EOF"};
    for (const Build* build : {&kMurello113, &kMurello111, &kMurello110}) {
        SCOPED_TRACE(build->dll);
        Installed installed(*build, Library::Standin);
        std::vector<Case> cases = {
            {"nothing heard",
             {"answer 0 ACK", "answer 0"},
             {{"", kTransferTimeout, "none"}},
             "0|",
             {},
             "KO\r\n"},
            {"not opened", {"open 0"}, {{"", kNotOpened, "none"}}, "0|", {}, "KO\r\n"},
            {"a value that does not convert",
             {"answer 0 ACK", "answer 0 " + kRecordA, "answer 0 #BAD$1;2;2026;1;", "answer 0 EOF"},
             {},
             "13|Type mismatch",
             {},
             "<none>"},
        };
        if (build == &kMurello110) {
            cases.push_back({"a record without $",
                             withoutDollar,
                             {},
                             "5|Invalid procedure call or argument",
                             {},
                             "<none>"});
        } else {
            cases.push_back({"a record without $",
                             withoutDollar,
                             {{"", kWrongCode, "error"}},
                             "0|",
                             {kRowA, kRowB},
                             "<none>"});
        }
        for (Case& c : cases) {
            SCOPED_TRACE(c.name);
            Sql("DELETE FROM Murello");
            RemoveStatusFiles();
            for (Box& box : c.boxes) box.title = build->title;

            const Outcome outcome = Download(*build, c.script);

            EXPECT_EQ(outcome.boxes, c.boxes);
            EXPECT_EQ(outcome.results, std::vector<std::string>{c.result});
            EXPECT_EQ(Rows(), c.rows);
            EXPECT_EQ(Status("C:\\TEMPFOX.TMP"), c.status);
            EXPECT_FALSE(std::filesystem::exists(e2e::UnixPath("C:\\") / "_Letture"));
            EXPECT_TRUE(LinkClosed(outcome));
        }
    }
}

// The CPU time the component's process uses while the handshake waits out its two seconds (the
// stand-in logs it with every call); and the time of a 1,000-record download.
TEST_F(ReaderInfraredSqliteFile, Measurements) {
    Installed installed(kMurello11500, Library::Standin);
    const Outcome silent = Download(kMurello11500, {});
    ASSERT_EQ(silent.boxes.size(), 1u);
    ASSERT_GE(silent.calls.size(), 3u);
    const Call& first = silent.calls[1];  // the first LEGGI1
    const Call& last = silent.calls.back();
    ASSERT_EQ(last.function, "CloseIrCom");
    const double wallMs = static_cast<double>(last.ms - first.ms);
    const double cpuMs = static_cast<double>(last.cpuMs - first.cpuMs);
    std::cout << "handshake wait: " << cpuMs << " ms CPU in " << wallMs << " ms ("
              << 100.0 * cpuMs / wallMs << "% of one core)\n";
    RecordProperty("handshake_wait_cpu_percent", std::to_string(100.0 * cpuMs / wallMs));
    EXPECT_GE(wallMs, 2000);
    EXPECT_LT(cpuMs, wallMs * 0.05);

    std::vector<std::string> script = {"answer 0 ACK"};
    for (int n = 1; n <= 1000; ++n) {
        script.push_back("answer 0 #ART" + std::to_string(n) + "$" + std::to_string(n) +
                         ";1.5;20261206;1;");
    }
    script.push_back("answer 0 EOF");
    Sql("DELETE FROM Murello");
    const Outcome thousand = Download(kMurello11500, script, 1, 120s);
    EXPECT_TRUE(thousand.boxes.empty());
    const std::vector<std::string> rows = Rows();
    ASSERT_EQ(rows.size(), 1000u);
    EXPECT_EQ(rows.back(), "'#ART1000',1000,1.5,'2026-12-06',1");
    ASSERT_EQ(thousand.elapsedMs.size(), 1u);
    std::cout << "1000 records in " << thousand.elapsedMs[0] << " ms\n";
    RecordProperty("thousand_records_ms", std::to_string(thousand.elapsedMs[0]));
}

}  // namespace
}  // namespace infrared_e2e

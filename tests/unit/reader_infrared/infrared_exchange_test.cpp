#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "core/downloads/infrared_protocol.h"
#include "platform/ui/memory_message_loop.h"
#include "platform/infrared/memory_infrared_link.h"

namespace reader {
namespace {

using namespace std::chrono_literals;
using std::chrono::milliseconds;

// Keeps what it is handed; raises at a chosen record.
class Sink : public InfraredRecordSink {
  public:
    void Record(const InfraredBuffer& buffer) override {
        std::string text(buffer.begin(), buffer.end());
        text.erase(text.find_last_not_of(' ') + 1);
        records.push_back(text);
        if (records.size() == raiseAt) throw RaisedError{5, L"Invalid procedure call or argument"};
    }
    void EndOfRecords() override {
        ended = true;
        if (raiseAtEnd) throw RaisedError{3022, L"duplicate"};
    }
    std::vector<std::string> records;
    std::size_t raiseAt = 0;
    bool raiseAtEnd = false;
    bool ended = false;
};

class Exchange : public testing::Test {
  protected:
    InfraredOutcome Run() {
        start_ = loop.now;
        return RunInfraredExchange(link, loop, loop, 5, sink);
    }
    // Every call of the link, "<ms since the start> <call>".
    std::vector<std::string> Trace() const {
        std::vector<std::string> trace;
        for (const auto& call : link.calls) {
            trace.push_back(
                std::to_string(std::chrono::duration_cast<milliseconds>(call.at - start_).count()) +
                " " + call.what);
        }
        return trace;
    }

    MemoryMessageLoop loop;
    MemoryInfraredLink link{loop};
    Sink sink;
    std::chrono::nanoseconds start_{};
};

const std::string kRecordA = "#ART42$17;2;20261206;1;";

// The reader's answers, the outcome, every call of the link with its time, and the records
// handed over.
TEST_F(Exchange, CommandsPausesLimitsAndResendsOnTheClock) {
    using Answer = MemoryInfraredLink::Answer;
    struct Case {
        const char* name;
        std::int32_t opened;
        std::vector<Answer> answers;
        InfraredOutcome outcome;
        std::vector<std::string> trace;
        std::size_t records;
    } cases[] = {
        {"no records: half a second after opening, and before ELIMINA",
         1,
         {{"ACK", 0ms}, {"EOF", 0ms}},
         InfraredOutcome::Downloaded,
         {"0 open 5 38400 = 1", "501 write LEGGI1\r", "501 read", "501 write SEGUE0\r", "501 read",
          "1002 write ELIMINA\r", "1002 close"},
         0},
        {"two records, answers in lower case, one without $",
         1,
         {{"ack", 0ms}, {kRecordA, 0ms}, {"#NODOLLAR", 0ms}, {"eof", 0ms}},
         InfraredOutcome::Downloaded,
         {"0 open 5 38400 = 1", "501 write LEGGI1\r", "501 read", "501 write SEGUE0\r", "501 read",
          "501 write SEGUE1\r", "501 read", "501 write SEGUE2\r", "501 read",
          "1002 write ELIMINA\r", "1002 close"},
         2},
        {"not opened: never closed",
         0,
         {{"ACK", 0ms}},
         InfraredOutcome::OpenFailed,
         {"0 open 5 38400 = 0"},
         0},
        {"another result counts as opened, without a handshake",
         -2,
         {{kRecordA, 0ms}, {"EOF", 0ms}},
         InfraredOutcome::Downloaded,
         {"0 open 5 38400 = -2", "501 write SEGUE0\r", "501 read", "501 write SEGUE1\r", "501 read",
          "1002 write ELIMINA\r", "1002 close"},
         1},
        {"no ACK: LEGGI1 again after a second, every 250 ms, giving up after two",
         1,
         {},
         InfraredOutcome::HandshakeTimeout,
         {"0 open 5 38400 = 1", "501 write LEGGI1\r", "501 read", "1502 write LEGGI1\r",
          "1502 read", "1753 write LEGGI1\r", "1753 read", "2004 write LEGGI1\r", "2004 read",
          "2255 write LEGGI1\r", "2255 read", "2502 write LEGGI1\r", "2502 read", "2502 close"},
         0},
        {"ACK to the second LEGGI1",
         1,
         {{std::nullopt, 0ms}, {"ACK", 0ms}, {"EOF", 0ms}},
         InfraredOutcome::Downloaded,
         {"0 open 5 38400 = 1", "501 write LEGGI1\r", "501 read", "1502 write LEGGI1\r",
          "1502 read", "1502 write SEGUE0\r", "1502 read", "2003 write ELIMINA\r", "2003 close"},
         0},
        {"a slow record is asked for again, and that answer is not read",
         1,
         {{"ACK", 0ms}, {kRecordA, 1200ms}, {"EOF", 0ms}},
         InfraredOutcome::Downloaded,
         {"0 open 5 38400 = 1", "501 write LEGGI1\r", "501 read", "501 write SEGUE0\r", "501 read",
          "1701 write RIPROVA0\r", "1701 write SEGUE1\r", "1701 read", "2202 write ELIMINA\r",
          "2202 close"},
         1},
        {"no resend when the second character is 9",
         1,
         {{"ACK", 0ms}, {"#9X$1;1;20261206;1;", 1200ms}, {"EOF", 0ms}},
         InfraredOutcome::Downloaded,
         {"0 open 5 38400 = 1", "501 write LEGGI1\r", "501 read", "501 write SEGUE0\r", "501 read",
          "1701 write SEGUE1\r", "1701 read", "2202 write ELIMINA\r", "2202 close"},
         1},
        {"no resend within the second",
         1,
         {{"ACK", 0ms}, {kRecordA, 999ms}, {"EOF", 0ms}},
         InfraredOutcome::Downloaded,
         {"0 open 5 38400 = 1", "501 write LEGGI1\r", "501 read", "501 write SEGUE0\r", "501 read",
          "1500 write SEGUE1\r", "1500 read", "2001 write ELIMINA\r", "2001 close"},
         1},
        {"an unknown answer times out two seconds after the request",
         1,
         {{"ACK", 0ms}, {"HELLO", 300ms}},
         InfraredOutcome::TransferTimeout,
         {"0 open 5 38400 = 1", "501 write LEGGI1\r", "501 read", "501 write SEGUE0\r", "501 read",
          "2502 close"},
         0},
        {"a slow unknown answer: two more seconds from the resend",
         1,
         {{"ACK", 0ms}, {"HELLO", 1500ms}},
         InfraredOutcome::TransferTimeout,
         {"0 open 5 38400 = 1", "501 write LEGGI1\r", "501 read", "501 write SEGUE0\r", "501 read",
          "2001 write RIPROVA0\r", "4002 close"},
         0},
        {"nothing heard after a record is a time-out at once",
         1,
         {{"ACK", 0ms}, {kRecordA, 0ms}, {std::nullopt, 40ms}},
         InfraredOutcome::TransferTimeout,
         {"0 open 5 38400 = 1", "501 write LEGGI1\r", "501 read", "501 write SEGUE0\r", "501 read",
          "501 write SEGUE1\r", "501 read", "541 close"},
         1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        link = MemoryInfraredLink{loop};
        sink = Sink{};
        link.openResults = {c.opened};
        link.answers.assign(c.answers.begin(), c.answers.end());
        loop.waitCalls = 0;

        EXPECT_EQ(Run(), c.outcome);

        EXPECT_EQ(Trace(), c.trace);
        EXPECT_EQ(sink.records.size(), c.records);
        EXPECT_EQ(sink.ended, c.outcome == InfraredOutcome::Downloaded);
        EXPECT_FALSE(link.open);
        // Each wait blocks until its limit: no polling.
        EXPECT_LE(loop.waitCalls, 8);
    }
}

TEST_F(Exchange, MessagesAreProcessedWhileWaiting) {
    link.AddAnswer("ACK");
    link.AddAnswer("EOF");
    std::vector<long long> handled;
    for (auto at : {100ms, 400ms, 700ms}) {
        loop.Post(loop.now + at, [&] {
            handled.push_back(std::chrono::duration_cast<milliseconds>(loop.now - start_).count());
        });
    }

    EXPECT_EQ(Run(), InfraredOutcome::Downloaded);

    EXPECT_EQ(handled, (std::vector<long long>{100, 400, 700}));
}

TEST_F(Exchange, AnErrorEndsTheExchangeWithTheLinkClosed) {
    struct Case {
        const char* name;
        std::size_t raiseAt;
        bool raiseAtEnd;
        std::vector<std::string> commands;
    } cases[] = {
        {"at the second record", 2, false, {"LEGGI1", "SEGUE0", "SEGUE1"}},
        {"when the records are kept", 0, true, {"LEGGI1", "SEGUE0", "SEGUE1", "SEGUE2"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        link = MemoryInfraredLink{loop};
        sink = Sink{};
        sink.raiseAt = c.raiseAt;
        sink.raiseAtEnd = c.raiseAtEnd;
        for (const std::string& answer :
             {std::string("ACK"), kRecordA, kRecordA, std::string("EOF")}) {
            link.AddAnswer(answer);
        }

        EXPECT_THROW(Run(), RaisedError);

        EXPECT_EQ(link.Commands(), c.commands);  // never ELIMINA
        EXPECT_EQ(link.calls.back().what, "close");
        EXPECT_FALSE(link.open);
        // The next exchange opens the link again.
        sink = Sink{};
        link.answers.clear();
        link.AddAnswer("ACK");
        link.AddAnswer("EOF");
        EXPECT_EQ(Run(), InfraredOutcome::Downloaded);
    }
}

}  // namespace
}  // namespace reader

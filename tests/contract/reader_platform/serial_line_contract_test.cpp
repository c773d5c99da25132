// One suite, two serial lines: natively the in-memory one, in the Windows build the real one over
// \\.\COMn (run under Wine, with a pseudo-terminal loop-back plug on the echo port). Both must
// give the serial control's results and error numbers.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "contract_platform.h"
#include "core/pump_until.h"

namespace reader {
namespace {

using namespace std::chrono_literals;

RaisedError ErrorOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const RaisedError& error) {
        return error;
    }
    return {0, {}};
}

class SerialLineContract : public ::testing::Test {
  protected:
    void SetUp() override {
        bench_ = MakeSerialBench();
        SerialLine& line = bench_->Line();
        // The configuration the reader's object gives its line.
        line.SetSettings("38400,n,8,1");
        line.SetHandshaking(0);
        line.SetInBufferSize(1024);
        line.SetOutBufferSize(512);
        line.SetRThreshold(1);
        line.SetSThreshold(0);
        line.SetInputLen(0);
        line.SetEOFEnable(false);
        line.SetNullDiscard(false);
        line.SetRTSEnable(false);
        line.SetDTREnable(false);
        line.SetOnComm([this] {
            events_.push_back(bench_->Line().CommEvent());
            if (bench_->Line().CommEvent() == kCommEventReceive)
                received_ += bench_->Line().Input();
        });
    }
    void TearDown() override { bench_->Line().SetPortOpen(false); }

    SerialLine& line() { return bench_->Line(); }

    // Processes the thread's messages until done() holds or the time has passed, with the wait
    // every download uses.
    void PumpFor(const std::function<bool()>& done, std::chrono::milliseconds longest) {
        const MonotonicClock& clock = bench_->Clock();
        reader::PumpUntil(bench_->Loop(), clock, clock.Now() + longest, done);
    }
    void PumpFor(std::chrono::milliseconds time) {
        PumpFor([] { return false; }, time);
    }

    std::unique_ptr<SerialBench> bench_;
    std::vector<std::int16_t> events_;
    std::string received_;
};

TEST_F(SerialLineContract, OpensAndClosesAsTheControlDoes) {
    EXPECT_FALSE(line().PortOpen());
    line().SetCommPort(bench_->EchoPort());
    EXPECT_EQ(line().CommPort(), bench_->EchoPort());
    line().SetPortOpen(true);
    EXPECT_TRUE(line().PortOpen());

    const RaisedError again = ErrorOf([&] { line().SetPortOpen(true); });
    EXPECT_EQ(again.number, 8005);
    EXPECT_EQ(again.description, L"Port already open");
    const RaisedError moved = ErrorOf([&] { line().SetCommPort(bench_->BusyPort()); });
    EXPECT_EQ(moved.number, 8000);
    EXPECT_EQ(moved.description, L"Operation not valid while the port is opened");
    EXPECT_TRUE(line().PortOpen());
    EXPECT_EQ(line().CommPort(), bench_->EchoPort());

    line().SetPortOpen(false);
    EXPECT_FALSE(line().PortOpen());
    line().SetPortOpen(false);  // closing a closed port does nothing
    for (const auto& action :
         std::vector<std::function<void()>>{[&] { line().Output("c"); }, [&] { line().Input(); }}) {
        const RaisedError closed = ErrorOf(action);
        EXPECT_EQ(closed.number, 8018);
        EXPECT_EQ(closed.description, L"Operation valid only when the port is open");
    }

    line().SetPortOpen(true);  // the same port opens again
    EXPECT_TRUE(line().PortOpen());
}

TEST_F(SerialLineContract, PortsThatCannotBeOpenedGiveTheControlsErrors) {
    struct Case {
        const char* name;
        std::int16_t port;
        std::int32_t number;
        const wchar_t* description;
    } cases[] = {
        {"held by another program", bench_->BusyPort(), 8005, L"Port already open"},
        {"no such device", bench_->MissingPort(), 8002, L"Invalid Port Number"},
        {"port 0", 0, 8002, L"Invalid Port Number"},
        {"negative", -1, 8002, L"Invalid Port Number"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const RaisedError error = ErrorOf([&] {
            line().SetCommPort(c.port);
            line().SetPortOpen(true);
        });
        EXPECT_EQ(error.number, c.number);
        EXPECT_EQ(error.description, c.description);
        EXPECT_FALSE(line().PortOpen());
        // The line is still usable.
        line().SetCommPort(bench_->EchoPort());
        line().SetPortOpen(true);
        EXPECT_TRUE(line().PortOpen());
        line().SetPortOpen(false);
    }
}

TEST_F(SerialLineContract, BadSettingsAndPortNumbersAreRefusedAlike) {
    const RaisedError kInvalid{380, L"Invalid property value"};
    const RaisedError kPortInvalid{8002, L"Invalid Port Number"};
    const RaisedError kWhileOpen{8000, L"Operation not valid while the port is opened"};
    const RaisedError kAccepted{0, {}};
    struct Case {
        const char* name;
        std::function<void(SerialLine&)> action;
        const RaisedError& expected;
    } cases[] = {
        {"settings without stop bits", [](SerialLine& l) { l.SetSettings("38400,n,8"); }, kInvalid},
        {"settings with five parts", [](SerialLine& l) { l.SetSettings("38400,n,8,1,1"); },
         kInvalid},
        {"speed not a number", [](SerialLine& l) { l.SetSettings("fast,n,8,1"); }, kInvalid},
        {"no speed", [](SerialLine& l) { l.SetSettings(",n,8,1"); }, kInvalid},
        {"unknown parity", [](SerialLine& l) { l.SetSettings("38400,x,8,1"); }, kInvalid},
        {"nine data bits", [](SerialLine& l) { l.SetSettings("38400,n,9,1"); }, kInvalid},
        {"three stop bits", [](SerialLine& l) { l.SetSettings("38400,n,8,3"); }, kInvalid},
        {"empty settings", [](SerialLine& l) { l.SetSettings(""); }, kInvalid},
        {"even parity, 7 bits, 2 stop", [](SerialLine& l) { l.SetSettings("9600,E,7,2"); },
         kAccepted},
        {"odd parity, 1.5 stop, blanks",
         [](SerialLine& l) { l.SetSettings(" 1200 , o , 5 , 1.5"); }, kAccepted},
        {"port 0", [](SerialLine& l) { l.SetCommPort(0); }, kPortInvalid},
        {"port 256", [](SerialLine& l) { l.SetCommPort(256); }, kPortInvalid},
        {"port 1000", [](SerialLine& l) { l.SetCommPort(1000); }, kPortInvalid},
        {"port 255", [](SerialLine& l) { l.SetCommPort(255); }, kAccepted},
        {"no input buffer", [](SerialLine& l) { l.SetInBufferSize(0); }, kInvalid},
        {"negative output buffer", [](SerialLine& l) { l.SetOutBufferSize(-5); }, kInvalid},
        {"negative input length", [](SerialLine& l) { l.SetInputLen(-1); }, kInvalid},
        {"negative send threshold", [](SerialLine& l) { l.SetSThreshold(-1); }, kInvalid},
        {"negative receive threshold", [](SerialLine& l) { l.SetRThreshold(-1); }, kInvalid},
        {"handshaking 4", [](SerialLine& l) { l.SetHandshaking(4); }, kInvalid},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const RaisedError error = ErrorOf([&] { c.action(line()); });
        EXPECT_EQ(error.number, c.expected.number);
        EXPECT_EQ(error.description, c.expected.description);
    }
    // While the port is open its buffers cannot change; closed again, they can.
    line().SetCommPort(bench_->EchoPort());
    line().SetPortOpen(true);
    for (const auto& action : std::vector<std::function<void()>>{
             [&] { line().SetInBufferSize(1024); }, [&] { line().SetOutBufferSize(512); }}) {
        const RaisedError open = ErrorOf(action);
        EXPECT_EQ(open.number, kWhileOpen.number);
        EXPECT_EQ(open.description, kWhileOpen.description);
    }
    // What was refused left the line as it was: it still talks.
    line().Output("ok");
    PumpFor([&] { return received_ == "ok"; }, 3000ms);
    EXPECT_EQ(received_, "ok");
    line().SetPortOpen(false);
    line().SetInBufferSize(2048);
}

TEST_F(SerialLineContract, BytesGoOutUnchangedAndComeBackAsReceiveEvents) {
    line().SetCommPort(bench_->EchoPort());
    line().SetPortOpen(true);
    std::string sent = "c";
    line().Output(sent);
    PumpFor([&] { return received_ == sent; }, 3000ms);
    EXPECT_EQ(received_, "c");

    // Every byte value: no handshake, no null discarding, no end-of-file character.
    std::string all;
    for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
    line().Output(all);
    sent += all;
    PumpFor([&] { return received_.size() >= sent.size(); }, 5000ms);
    EXPECT_EQ(received_, sent);
    ASSERT_FALSE(events_.empty());
    for (std::int16_t event : events_) EXPECT_EQ(event, kCommEventReceive);
    EXPECT_EQ(line().CommEvent(), kCommEventReceive);
    EXPECT_EQ(line().Input(), "");  // the handler took everything
}

TEST_F(SerialLineContract, NoEventWithoutThresholdAndNothingAfterClosing) {
    line().SetRThreshold(0);
    line().SetCommPort(bench_->EchoPort());
    line().SetPortOpen(true);
    line().Output("A1;1;1;1\n\r");
    PumpFor(500ms);
    EXPECT_TRUE(events_.empty());
    EXPECT_EQ(line().Input(), "A1;1;1;1\n\r");  // waiting in the buffer all the same

    line().SetRThreshold(1);
    line().Output("late");
    line().SetPortOpen(false);
    PumpFor(500ms);
    EXPECT_TRUE(events_.empty());
    line().SetPortOpen(true);  // what arrived for the closed port is gone
    PumpFor(300ms);
    EXPECT_EQ(received_, "");
    EXPECT_EQ(line().Input(), "");
}

}  // namespace
}  // namespace reader

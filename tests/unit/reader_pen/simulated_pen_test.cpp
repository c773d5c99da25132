#include "simulated_pen.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <string>

namespace standins {
namespace {

using namespace std::chrono_literals;

// The reader's side of the line: what arrives within the time, in order.
std::string ReadFor(int fd, std::chrono::milliseconds time) {
    std::string bytes;
    const auto end = std::chrono::steady_clock::now() + time;
    while (std::chrono::steady_clock::now() < end) {
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, 20) > 0 && (p.revents & POLLIN)) {
            char buffer[256];
            const ssize_t got = read(fd, buffer, sizeof buffer);
            if (got > 0) bytes.append(buffer, static_cast<std::size_t>(got));
        }
    }
    return bytes;
}

TEST(SimulatedPen, AnswersEachRequestThenFallsSilent) {
    SimulatedPen pen;
    pen.AddRecord("A1;12;7;3");
    pen.AddRecordInPieces("B2;1;2;0,5", 4, 50ms);
    pen.AddRecord("EMPTY");
    pen.Start();
    const int fd = open(pen.TerminalPath().c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(fd, 0);
    termios raw{};
    tcgetattr(fd, &raw);
    cfmakeraw(&raw);
    tcsetattr(fd, TCSANOW, &raw);

    ASSERT_EQ(write(fd, "c", 1), 1);
    EXPECT_EQ(ReadFor(fd, 200ms), "A1;12;7;3\n\r");
    ASSERT_EQ(write(fd, "c", 1), 1);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(ReadFor(fd, 600ms), "B2;1;2;0,5\n\r");
    EXPECT_GE(std::chrono::steady_clock::now() - start, 150ms);
    ASSERT_EQ(write(fd, "c", 1), 1);
    EXPECT_EQ(ReadFor(fd, 200ms), "EMPTY\n\r");
    ASSERT_EQ(write(fd, "cx", 2), 2);
    EXPECT_EQ(ReadFor(fd, 300ms), "");  // silent once the script is used up

    close(fd);
    pen.Stop();
    EXPECT_EQ(pen.Received(), "ccccx");
    EXPECT_EQ(pen.Requests(), 4);
}

}  // namespace
}  // namespace standins

#include <gtest/gtest.h>

#include <string>

#include "infrared_bench.h"

namespace reader {
namespace {

InfraredBuffer Filled(char c) {
    InfraredBuffer buffer;
    buffer.fill(c);
    return buffer;
}

std::string Text(const InfraredBuffer& buffer) { return std::string(buffer.begin(), buffer.end()); }

TEST(InfraredLinkContract, OpenSendReadIntoTheBufferAndClose) {
    const auto bench = MakeInfraredBench();
    const std::string longAnswer = "#" + std::string(120, 'L');
    const std::string record = "#A\xE8$1;2;20261206;1;";
    InfraredLink& link = bench->Link({1}, {"ACK", std::nullopt, longAnswer, record});

    EXPECT_EQ(link.Open(5, 38400), 1);
    link.Write("LEGGI1\r");
    InfraredBuffer buffer = Filled(' ');
    link.Read(buffer);
    EXPECT_EQ(Text(buffer), "ACK" + std::string(97, ' '));
    // Nothing heard: the buffer stays as it was.
    buffer = Filled('x');
    link.Read(buffer);
    EXPECT_EQ(Text(buffer), std::string(100, 'x'));
    // At most 100 characters are written.
    buffer = Filled(' ');
    link.Read(buffer);
    EXPECT_EQ(Text(buffer), longAnswer.substr(0, 100));
    link.Write("SEGUE0\r");
    buffer = Filled(' ');
    link.Read(buffer);
    EXPECT_EQ(Text(buffer), record + std::string(100 - record.size(), ' '));
    // A link already open cannot be opened again.
    EXPECT_EQ(link.Open(5, 38400), 0);
    link.Write("ELIMINA\r");
    link.Close();
    EXPECT_EQ(link.Open(7, 38400), 1);
    link.Close();

    EXPECT_EQ(bench->Received(), (std::vector<std::string>{"LEGGI1\r", "SEGUE0\r", "ELIMINA\r"}));
}

TEST(InfraredLinkContract, EveryOpenResultReachesTheCallerAndAClosedLinkHearsNothing) {
    const auto bench = MakeInfraredBench();
    InfraredLink& link = bench->Link({0, -3, 2}, {"ACK"});

    EXPECT_EQ(link.Open(5, 38400), 0);
    InfraredBuffer buffer = Filled(' ');
    link.Read(buffer);
    EXPECT_EQ(Text(buffer), std::string(100, ' '));
    EXPECT_EQ(link.Open(5, 38400), -3);
    link.Close();
    EXPECT_EQ(link.Open(5, 38400), 2);
    link.Read(buffer);
    EXPECT_EQ(Text(buffer), "ACK" + std::string(97, ' '));
    link.Close();
}

}  // namespace
}  // namespace reader

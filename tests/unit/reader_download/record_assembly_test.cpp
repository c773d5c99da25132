#include <gtest/gtest.h>

#include "download_fixture.h"

namespace reader {
namespace {

using RecordAssembly = DownloadFixture;

TEST_F(RecordAssembly, FirstUseConfiguresTheLineInOrderAndANewObjectStartsEmpty) {
    EXPECT_EQ(line->calls,
              (std::vector<std::string>{"RThreshold=1", "Settings=38400,n,8,1", "Handshaking=0",
                                        "InBufferSize=1024", "OutBufferSize=512", "SThreshold=1",
                                        "InputLen=0", "EOFEnable=False", "NullDiscard=False",
                                        "RTSEnable=False", "DTREnable=False"}));
    EXPECT_FALSE(line->PortOpen());

    // A new object makes no service: no line, so no notification window on Windows.
    int linesMade = 0;
    ReaderObject fresh([&] {
        ReaderServices services;
        services.serial = LazyService<SerialLine>([&] {
            ++linesMade;
            return std::make_shared<MemorySerialLine>(*loop);
        });
        return services;
    }());
    EXPECT_EQ(linesMade, 0);
    EXPECT_EQ(fresh.Porta, 0);
    EXPECT_EQ(fresh.DbPath, L"");
    EXPECT_EQ(fresh.IdUt, 0);
    EXPECT_EQ(fresh.UltimoRecord(), "");
    EXPECT_EQ(fresh.BufferSeriale(), "");
    EXPECT_FALSE(fresh.RecordPronto());
}

TEST_F(RecordAssembly, LineFeedThenCarriageReturnEndsARecord) {
    struct Case {
        const char* name;
        std::vector<std::string> pieces;
        bool ready;
        std::string record;
        std::string buffer;
    } cases[] = {
        {"one piece", {"A1;12;7;3\n\r"}, true, "A1;12;7;3", ""},
        {"several pieces", {"A1;1", "2;7;", "3\n", "\r"}, true, "A1;12;7;3", ""},
        {"terminator alone", {"\n\r"}, true, "", ""},
        {"CR LF is no end", {"A1;12;7;3\r\n"}, false, "", "A1;12;7;3\r\n"},
        {"LF alone is no end", {"A1\n"}, false, "", "A1\n"},
        {"only the end is examined", {"A\n\rB"}, false, "", "A\n\rB"},
        {"eight-bit text", {"Caff\xE8\n\r"}, true, "Caff\xE8", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        SetUp();
        line->SetPortOpen(true);
        for (const auto& piece : c.pieces) {
            EXPECT_FALSE(object->RecordPronto());
            line->Receive(piece);
            loop->ProcessPendingMessages();
        }
        EXPECT_EQ(object->RecordPronto(), c.ready);
        EXPECT_EQ(object->UltimoRecord(), c.record);
        EXPECT_EQ(object->BufferSeriale(), c.buffer);
    }
}

TEST_F(RecordAssembly, OtherEventsChangeNothing) {
    line->SetPortOpen(true);
    line->inputBuffer = "A1;12;7;3\n\r";  // waiting, but the event is not a reception
    for (std::int16_t event :
         {kCommEventSend, kCommEventBreak, kCommEventFrame, kCommEventOverrun}) {
        SCOPED_TRACE(event);
        line->PostEvent(event);
        loop->ProcessPendingMessages();
        EXPECT_FALSE(object->RecordPronto());
        EXPECT_EQ(object->BufferSeriale(), "");
        EXPECT_EQ(line->inputBuffer, "A1;12;7;3\n\r");
    }
}

}  // namespace
}  // namespace reader

// The terminal control's contract, the same against the in-memory terminal and the registered
// control: what each member does with its arguments, and how a failure reaches the caller.
#include <gtest/gtest.h>

#include "terminal_bench.h"

namespace reader {
namespace {

// Single-byte text with a line end and a character above 127, as the terminal's files carry.
const std::string kBytes = "ART\xE0;1;2;3,5\r\nB;4;5;6\r\n";

TEST(TerminalControlContract, InErroreAnswersWhatTheTerminalSays) {
    const auto bench = MakeTerminalBench();
    for (const bool inErrore : {false, true}) {
        bench->SetInErrore(inErrore);
        EXPECT_EQ(bench->Controls().CreateControl()->InErrore(), inErrore);
    }
}

TEST(TerminalControlContract, RiceviFileWritesTheNumberedFileByteForByte) {
    const auto bench = MakeTerminalBench();
    bench->SetTerminalFile(2, kBytes);
    const std::wstring path = bench->Folder() + L"\\Riconciliazione_20261206-143005.tmp";
    std::int16_t number = 2;
    const auto control = bench->Controls().CreateControl();
    control->RiceviFile(path, number);
    EXPECT_EQ(bench->GetFile(path), kBytes);
    EXPECT_EQ(number, 2);

    number = 1;  // a file the terminal does not have: nothing, and no error
    control->RiceviFile(bench->Folder() + L"\\uno.tmp", number);
    EXPECT_EQ(bench->GetFile(bench->Folder() + L"\\uno.tmp"), std::nullopt);
}

TEST(TerminalControlContract, RiceviFileIntoAMissingFolderRaises75) {
    const auto bench = MakeTerminalBench();
    bench->SetTerminalFile(1, kBytes);
    std::int16_t number = 1;
    try {
        bench->Controls().CreateControl()->RiceviFile(bench->Folder() + L"\\Manca\\a.tmp", number);
        FAIL() << "no error";
    } catch (const RaisedError& error) {
        EXPECT_EQ(error.number, 75);
        EXPECT_EQ(error.description, L"Path/File access error");
    }
}

TEST(TerminalControlContract, InviaFileSendsTheNamedFileByReferenceOrByValue) {
    const auto bench = MakeTerminalBench();
    const std::wstring path = bench->Folder() + L"\\file_up.tmp";
    for (const bool byValue : {false, true}) {
        SCOPED_TRACE(byValue ? "by value" : "by reference");
        const std::string content = kBytes + (byValue ? "by value" : "by reference");
        bench->PutFile(path, content);
        bench->Controls().CreateControl()->InviaFile(path, byValue);
        EXPECT_EQ(bench->Sent(), content);
    }
}

TEST(TerminalControlContract, AFailureKeepsTheControlsNumberAndDescription) {
    const struct {
        const wchar_t* member;
        RaisedError error;
    } cases[] = {{L"InErrore", {1234, L"Terminale non collegato"}},
                 {L"RiceviFile", {53, L"File non trovato sul terminale"}},
                 {L"InviaFile", {32000, L"Trasmissione interrotta"}},
                 {L"Chiudi", {5, L"Porta chiusa"}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.error.number);
        const auto bench = MakeTerminalBench();
        bench->SetFailure(c.member, c.error);
        const auto control = bench->Controls().CreateControl();
        std::int16_t number = 1;
        try {
            const std::wstring member = c.member;
            if (member == L"InErrore") control->InErrore();
            if (member == L"RiceviFile") control->RiceviFile(bench->Folder() + L"\\a", number);
            if (member == L"InviaFile") control->InviaFile(bench->Folder() + L"\\a", false);
            if (member == L"Chiudi") control->Chiudi();
            ADD_FAILURE() << "no error";
        } catch (const RaisedError& error) {
            EXPECT_EQ(error.number, c.error.number);
            EXPECT_EQ(error.description, c.error.description);
        }
    }
}

}  // namespace
}  // namespace reader

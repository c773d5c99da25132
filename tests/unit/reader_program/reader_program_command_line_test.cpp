#include "core/downloads/reader_program_command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/downloads/result_file.h"
#include "core/murello.h"

namespace reader {
namespace {

TEST(ReaderProgramCommandLine, QuotesBlankPathsAndJoinsTheElevenFields) {
    ReaderProgramOptions everySet;
    everySet.PortaCOM = 8;
    everySet.Baud = 5;
    everySet.ModFile = 2;
    everySet.CR = false;
    everySet.LF = false;
    everySet.MostraErrore = true;
    everySet.MostraFile = true;
    everySet.MostraMaschera = true;
    everySet.Timeout = -32768;
    ReaderProgramOptions outOfRange;
    outOfRange.PortaCOM = 0;
    outOfRange.Baud = -1;
    outOfRange.ModFile = 40000;
    outOfRange.Timeout = 32767;
    struct Case {
        std::wstring folder, result;
        ReaderProgramOptions options;
        std::wstring line;
    } cases[] = {
        {L"C:\\Kit",
         L"C:\\Dati\\letture.txt",
         {},
         L"C:\\Kit\\IR_Read.exe C:\\Dati\\letture.txt,1,1,1,1,1,0,0,0,0,10"},
        {L"C:\\", L"r.txt", everySet, L"C:\\IR_Read.exe r.txt,8,5,2,0,0,1,1,1,0,-32768"},
        {L"C:\\Program Files\\Kit\\",
         L"C:\\Le mie letture\\a b.txt",
         {},
         L"\"C:\\Program Files\\Kit\\IR_Read.exe\" \"C:\\Le mie letture\\a b.txt\","
         L"1,1,1,1,1,0,0,0,0,10"},
        {L"C:\\Kit", L"", outOfRange, L"C:\\Kit\\IR_Read.exe ,0,-1,40000,1,1,0,0,0,0,32767"},
        // Only blanks call for quotes; tabs, commas and quotes pass as they are.
        {L"C:\\K\tit",
         L"a,\"b\".txt",
         {},
         L"C:\\K\tit\\IR_Read.exe a,\"b\".txt,1,1,1,1,1,0,0,0,0,10"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.line));
        EXPECT_EQ(ReaderProgramCommandLine(c.folder, c.result, c.options), c.line);
    }
}

TEST(ResultFile, SkipsBlankLinesAndSplitsAtEverySemicolon) {
    struct Case {
        std::wstring line;
        bool blank;
        std::vector<std::wstring> fields;
    } cases[] = {
        {L"", true, {L""}},
        {L"    ", true, {L"    "}},
        {L"\t", false, {L"\t"}},
        {L"A12;5", false, {L"A12", L"5"}},
        {L" A12 ; 5 ;", false, {L" A12 ", L" 5 ", L""}},
        {L"A12", false, {L"A12"}},
        {L";;", false, {L"", L"", L""}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.line));
        EXPECT_EQ(IsBlankLine(c.line), c.blank);
        EXPECT_EQ(SplitFields(c.line), c.fields);
    }
    const std::vector<std::wstring> one = {L"A12"};
    EXPECT_EQ(FieldNumber(one, 1), L"A12");
    try {
        FieldNumber(one, 2);
        ADD_FAILURE() << "no error";
    } catch (const RaisedError& e) {
        EXPECT_EQ(e.number, 9);
        EXPECT_EQ(e.description, L"Subscript out of range");
    }
}

}  // namespace
}  // namespace reader

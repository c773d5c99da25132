#include "core/conversions.h"

#include <gtest/gtest.h>

#include <vector>

#include "core/errors.h"

namespace reader {
namespace {

// The error a conversion raises, or 0.
template <typename F>
int ErrorOf(F convert) {
    try {
        convert();
    } catch (const RaisedError& e) {
        return e.number;
    }
    return 0;
}

TEST(TextToLong, ReadsItalianNumbersAndRoundsHalfToEven) {
    struct Case {
        const wchar_t* text;
        std::int32_t value;
    } cases[] = {
        {L"12", 12},
        {L"  7 ", 7},
        {L"-5", -5},
        {L"+5", 5},
        {L"0", 0},
        {L"2,5", 2},
        {L"3,5", 4},
        {L"-2,5", -2},
        {L"-3,5", -4},
        {L"2,51", 3},
        {L"2,49", 2},
        {L"1.234", 1234},
        {L"3.0", 30},
        {L"1.234.567", 1234567},
        {L"1,5E1", 15},
        {L"2147483647", 2147483647},
        {L"-2147483648", -2147483647 - 1},
        {L"&H10", 16},
        {L"&HFFFF", -1},
        {L"&H10000", 65536},
        {L"&HFFFFFFFF", -1},
        {L"&O17", 15},
        {L",5", 0},
        {L"- 4", -4},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "text " << testing::PrintToString(std::wstring(c.text)));
        EXPECT_EQ(TextToLong(c.text), c.value);
    }
}

TEST(TextToLong, RaisesTypeMismatchOrOverflow) {
    struct Case {
        const wchar_t* text;
        int error;
    } cases[] = {
        {L"", 13},
        {L"   ", 13},
        {L"abc", 13},
        {L"12a", 13},
        {L"1 2", 13},
        {L".5", 13},
        {L"1,2,3", 13},
        {L"&Z1", 13},
        {L"&HG", 13},
        {L"1E", 13},
        {L"2147483648", 6},
        {L"-2147483649", 6},
        {L"2147483647,5", 6},
        {L"&H100000000", 6},
        {L"1E400", 6},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "text " << testing::PrintToString(std::wstring(c.text)));
        EXPECT_EQ(ErrorOf([&] { TextToLong(c.text); }), c.error);
    }
    try {
        TextToLong(L"x");
        FAIL();
    } catch (const RaisedError& e) {
        EXPECT_EQ(e.description, L"Type mismatch");
    }
    try {
        TextToLong(L"9999999999");
        FAIL();
    } catch (const RaisedError& e) {
        EXPECT_EQ(e.description, L"Overflow");
    }
}

TEST(TextToDouble, UsesTheDecimalComma) {
    struct Case {
        const wchar_t* text;
        double value;
    } cases[] = {
        {L"3,0", 3.0},        {L"3", 3.0},      {L"0,25", 0.25},   {L"-1,5", -1.5},
        {L"1.234,5", 1234.5}, {L"1E3", 1000.0}, {L"2,5e-1", 0.25}, {L"1E-400", 0.0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "text " << testing::PrintToString(std::wstring(c.text)));
        EXPECT_EQ(TextToDouble(c.text), c.value);
    }
    EXPECT_EQ(ErrorOf([] { TextToDouble(L"3,0,0"); }), 13);
    EXPECT_EQ(ErrorOf([] { TextToDouble(L""); }), 13);
    EXPECT_EQ(ErrorOf([] { TextToDouble(L"1E999"); }), 6);
}

TEST(LongToInteger, OverflowsOutsideSixteenBits) {
    EXPECT_EQ(LongToInteger(32767), 32767);
    EXPECT_EQ(LongToInteger(-32768), -32768);
    EXPECT_EQ(ErrorOf([] { LongToInteger(32768); }), 6);
    EXPECT_EQ(ErrorOf([] { LongToInteger(-32769); }), 6);
}

TEST(TextToDate, ReadsDayFirst) {
    struct Case {
        const wchar_t* text;
        Date date;
    } cases[] = {
        {L"05/03/2024", {2024, 3, 5}},   {L"5-3-2024", {2024, 3, 5}},
        {L"5.3.24", {2024, 3, 5}},       {L"31/12/29", {2029, 12, 31}},
        {L"1/1/30", {1930, 1, 1}},       {L"29/02/2024", {2024, 2, 29}},
        {L"12/31/2020", {2020, 12, 31}},  // no 31st month: read month first, as the host does
        {L"2024-03-05", {2024, 3, 5}},   {L" 01/02/2003 ", {2003, 2, 1}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "text " << testing::PrintToString(std::wstring(c.text)));
        EXPECT_EQ(TextToDate(c.text), c.date);
    }
    for (const wchar_t* bad : {L"", L"5/3", L"29/02/2023", L"32/13/2024", L"a/b/c", L"1/2/3/4"}) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(bad)));
        EXPECT_EQ(ErrorOf([&] { TextToDate(bad); }), 13);
    }
    EXPECT_EQ(IsoDateText({2024, 3, 5}), "2024-03-05");
    EXPECT_EQ(IsoDateText({100, 1, 31}), "0100-01-31");
    EXPECT_EQ(IsoDateText({9999, 12, 31}), "9999-12-31");
}

std::vector<std::wstring> diagnostics;

TEST(ErrorCatalogue, CarriesTheHostDescriptionsTitlesAndDiagnosis) {
    const struct {
        std::int32_t number;
        const wchar_t* description;
    } rows[] = {
        {5, L"Invalid procedure call or argument"},
        {6, L"Overflow"},
        {9, L"Subscript out of range"},
        {13, L"Type mismatch"},
        {62, L"Input past end of file"},
        {3265, L"Item not found in this collection."},
        {8005, L"Port already open"},
        {4242, L""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.number);
        EXPECT_EQ(ReaderError(row.number).description, row.description);
        EXPECT_EQ(ErrorBoxTitle(row.number), L"Errore n. " + std::to_wstring(row.number));
    }
    EXPECT_EQ(ErrorText(kErrDbFileNotFound, {L"C:\\a.mdb"}), L"Could not find file 'C:\\a.mdb'.");

    // The system's code and the failed call go to the diagnostic sink, never into the text.
    SetDiagnosticSink([](const wchar_t* line) { diagnostics.emplace_back(line); });
    const RaisedError error = ReaderError(kErrPortAlreadyOpen, 5, L"CreateFileW \\\\.\\COM3");
    SetDiagnosticSink(nullptr);
    EXPECT_EQ(error.description, L"Port already open");
    EXPECT_EQ(error.systemCode, 5);
    ASSERT_EQ(diagnostics.size(), 1u);
    EXPECT_EQ(diagnostics[0],
              L"Murello: error 8005 \"Port already open\" in CreateFileW \\\\.\\COM3, system code "
              L"5\n");
}

}  // namespace
}  // namespace reader

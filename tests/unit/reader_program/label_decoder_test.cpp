#include "core/downloads/label_decoder.h"

#include <gtest/gtest.h>

#include <string>

#include "core/murello.h"

namespace reader {
namespace {

const std::wstring kLabel = L"(02)08001234567891(37)12(15)240315(10)L42";

struct Decoded {
    int error = 0;
    DecodedLabel label;
};

Decoded Decode(const std::wstring& text) {
    Decoded decoded;
    try {
        decoded.label = DecodeLabel(text);
    } catch (const RaisedError& e) {
        decoded.error = e.number;
    }
    return decoded;
}

TEST(DecodeLabel, TakesEachElementByItsFirstOccurrence) {
    struct Case {
        std::wstring label;
        std::wstring codart, colli, lotto;
        Date scadenza;
    } cases[] = {
        {kLabel, L"789", L"12", L"L42", {2024, 3, 15}},
        // Any order, as long as the lot comes last; a second identifier does not count.
        {L"(15)991231(37)1(02)00000000001234(10)X(02)9", L"123", L"1", L"X(02)9", {2099, 12, 31}},
        // Empty values, a short article, a lot with blanks and brackets kept as they are.
        {L"(02)(37)(15)000101(10) a(b) ", L"", L"", L" a(b) ", {2000, 1, 1}},
        {L"(02)123456789012(37)5(15)240229(10)", L"12", L"5", L"", {2024, 2, 29}},
        // A missing identifier counts as found at 0: its value starts at the fourth character.
        {L"(02)08001234567891(15)240315(10)L42", L"789", L")08001234567891", L"L42", {2024, 3, 15}},
        {L"(02)08001234567891(37)12(15)240315(",
         L"789",
         L"12",
         L")08001234567891(37)12(15)240315(",
         {2024, 3, 15}},
        {L"abc240315(37)7(10)Z", L"", L"7", L"Z", {2024, 3, 15}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.label));
        const Decoded decoded = Decode(c.label);
        ASSERT_EQ(decoded.error, 0);
        EXPECT_EQ(decoded.label.codart, c.codart);
        EXPECT_EQ(decoded.label.colli, c.colli);
        EXPECT_EQ(decoded.label.lotto, c.lotto);
        EXPECT_EQ(decoded.label.scadenza, c.scadenza);
    }
}

TEST(DecodeLabel, AddsYearsMonthsAndDaysToTheFirstOfJanuary2000) {
    struct Case {
        std::wstring date;
        Date scadenza;
    } cases[] = {
        {L"240315", {2024, 3, 15}},  {L"240000", {2023, 11, 30}}, {L"241340", {2025, 2, 9}},
        {L"-1 1 1", {1999, 1, 1}},   {L"230229", {2023, 3, 1}},   {L"991299", {2100, 3, 9}},
        {L"2403151", {2024, 3, 15}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.date));
        const Decoded decoded = Decode(L"(02)08001234567891(37)12(15)" + c.date + L"(10)L42");
        ASSERT_EQ(decoded.error, 0);
        EXPECT_EQ(decoded.label.scadenza, c.scadenza);
    }
    // Any numbers at all: the last day of 9999 at most, and 5 past it, never an overflow.
    EXPECT_EQ(AddToFirstJanuary2000(7999, 11, 30), (Date{9999, 12, 31}));
    EXPECT_EQ(AddToFirstJanuary2000(-1900, 0, 0), (Date{100, 1, 1}));
    const int extremes[][3] = {
        {2147483597, 0, 0}, {-2147483647 - 1, 0, 0}, {0, 2147483647, 0}, {0, -2147483647 - 1, 0},
        {0, 0, 2147483647}, {0, 0, -2147483647 - 1}, {7999, 11, 31},     {-1900, 0, -1},
    };
    for (const auto& e : extremes) {
        SCOPED_TRACE(testing::Message() << e[0] << " " << e[1] << " " << e[2]);
        try {
            AddToFirstJanuary2000(e[0], e[1], e[2]);
            ADD_FAILURE() << "no error";
        } catch (const RaisedError& error) {
            EXPECT_EQ(error.number, 5);
        }
    }
}

TEST(DecodeLabel, RaisesWhereTheHostRaises) {
    struct Case {
        std::wstring label;
        int error;
    } cases[] = {
        // No "(" after the value of (15), (37) or (02), even in a label past 255 characters.
        {L"(02)08001234567891(37)12(10)L42(15)240315", 5},
        {L"(02)08001234567891(37)12(15)240315", 5},
        {L"(02)08001234567891(15)240315(10)L42(37)12", 5},
        {L"(37)12(15)240315(10)L42(02)08001234567891", 5},
        {L"", 5},
        {L"(02)" + std::wstring(300, L'1'), 5},
        // A date that is no number, or too short to hold one.
        {L"(02)08001234567891(37)12(15)24AB15(10)L42", 13},
        {L"(02)08001234567891(37)12(15)2403(10)L42", 13},
        {L"(02)08001234567891(37)12(15)(10)L42", 13},
        // Positions past 255: the next "(" after a value, the end of the label.
        {L"(15)240315(02)08001234567891(37)" + std::wstring(222, L'1') + L"(", 0},
        {L"(15)240315(02)08001234567891(37)" + std::wstring(223, L'1') + L"(", 6},
        {kLabel + std::wstring(214, L'x'), 0},
        {kLabel + std::wstring(215, L'x'), 6},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.label.size() << " " << testing::PrintToString(c.label));
        EXPECT_EQ(Decode(c.label).error, c.error);
    }
}

}  // namespace
}  // namespace reader

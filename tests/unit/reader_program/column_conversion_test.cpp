#include "platform/database/column_conversion.h"

#include <gtest/gtest.h>

#include <string>

namespace reader {
namespace {

TEST(ColumnConversion, ConvertsTextByTheItalianRulesOfTheColumnsType) {
    struct Case {
        const wchar_t* declared;
        Value value;
        Value stored;  // monostate with `error` set: the error instead
        int error;
    } cases[] = {
        {L"REAL", L"5", 5.0, 0},
        {L"double precision", L"5,5", 5.5, 0},
        {L"NUMERIC", L"1.234,5", 1234.5, 0},
        {L"CURRENCY", L" -2 ", -2.0, 0},
        {L"REAL", L"5.5", 55.0, 0},
        {L"REAL", L"cinque", {}, 3421},
        {L"REAL", L"", {}, 3421},
        {L"INTEGER", L"2,5", std::int32_t{2}, 0},
        {L"SmallInt", L"3,5", std::int32_t{4}, 0},
        {L"INTEGER", L"5x", {}, 3421},
        {L"INTEGER", L"3000000000", {}, 3349},
        {L"DATETIME", L"15/03/2024", Date{2024, 3, 15}, 0},
        {L"DATE", L"31/02/2024", {}, 3421},
        {L"TEXT", L"5,5", L"5,5", 0},
        {L"VARCHAR(20)", L" 007 ", L" 007 ", 0},
        {L"", L"5", L"5", 0},
        {L"BLOB", L"5", L"5", 0},
        {L"TEXT", std::int32_t{0}, std::int32_t{0}, 0},
        {L"TEXT", Date{2024, 3, 5}, Date{2024, 3, 5}, 0},
        {L"INTEGER", std::int32_t{0}, std::int32_t{0}, 0},
        {L"DATE", Date{2024, 3, 5}, Date{2024, 3, 5}, 0},
        {L"REAL", {}, {}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << testing::PrintToString(std::wstring(c.declared)) << " " << c.value.index());
        try {
            EXPECT_EQ(ConvertForColumn(c.value, KindOfDeclaredType(c.declared)), c.stored);
            EXPECT_EQ(c.error, 0);
        } catch (const RaisedError& e) {
            EXPECT_EQ(e.number, c.error);
            EXPECT_EQ(e.description, c.error == 3421 ? L"Data type conversion error."
                                                     : L"Numeric field overflow.");
        }
    }
}

}  // namespace
}  // namespace reader

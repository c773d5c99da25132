#include "platform/database/dao_query.h"

#include <gtest/gtest.h>

namespace reader {
namespace {

TEST(ParameterQuery, DeclaresOneTypedNamePerValueAndNeverWritesAValue) {
    struct Case {
        const wchar_t* statement;
        std::vector<Value> values;
        const wchar_t* text;
    };
    const Case cases[] = {
        {L"Insert Into Murello (Codart,[id sottoOrd],IdLotto,Quantit\u00e0) Select ?,?,?,?",
         {std::wstring(L"O'Brien"), std::int32_t{12}, std::int32_t{-7}, 2.75},
         L"PARAMETERS p1 Text ( 255 ), p2 Long, p3 Long, p4 Double; Insert Into Murello "
         L"(Codart,[id sottoOrd],IdLotto,Quantit\u00e0) Select p1,p2,p3,p4"},
        // Marks inside quoted text and bracketed names are not placeholders.
        {L"Update [a?b] Set x = '?', y = \"?\" Where z = ?",
         {Date{2024, 3, 15}},
         L"PARAMETERS p1 DateTime; Update [a?b] Set x = '?', y = \"?\" Where z = p1"},
        {L"Insert Into T (A, B) Values (?, ?)",
         {std::monostate{}, std::wstring(300, L'x')},
         L"PARAMETERS p1 Text ( 255 ), p2 Memo; Insert Into T (A, B) Values (p1, p2)"},
        {L"Delete From T", {}, L"Delete From T"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.statement)));
        const ParameterQuery query = MakeParameterQuery(c.statement, c.values);
        EXPECT_EQ(query.text, c.text);
        EXPECT_EQ(query.names.size(), c.values.size());
    }
}

TEST(ParameterQuery, FewerValuesThanPlaceholdersIsTooFewParameters) {
    const Value one[] = {std::int32_t{1}};
    try {
        MakeParameterQuery(L"Select ?, ?, ?", one);
        FAIL() << "no error";
    } catch (const RaisedError& error) {
        EXPECT_EQ(error.number, 3061);
        EXPECT_EQ(error.description, L"Too few parameters. Expected 2.");
    }
}

TEST(ParameterQuery, DatesAreDaysSinceTheThirtiethOfDecember1899) {
    EXPECT_EQ(AutomationDate({1899, 12, 30}), 0.0);
    EXPECT_EQ(AutomationDate({1900, 3, 1}), 61.0);
    EXPECT_EQ(AutomationDate({2024, 3, 15}), 45366.0);
    EXPECT_EQ(AutomationDate({1899, 12, 29}), -1.0);
}

}  // namespace
}  // namespace reader

#include <gtest/gtest.h>

#include <string>

#include "core/downloads/infrared_record.h"
#include "core/errors.h"
#include "core/text_encoding.h"

namespace reader {
namespace {

// A record as it sits in the 100-character buffer.
std::string Buffered(const std::string& record) {
    return record + std::string(100 - record.size(), ' ');
}

TEST(InfraredRecord, FieldsAreCutAndConvertedByTheItalianRules) {
    struct Case {
        std::string record;
        InfraredReading reading;
    } cases[] = {
        {"#ART42$17;2;20261206;1;", {L"#ART42", 17, 2.0, {2026, 12, 6}, 1}},
        // "." is the decimal comma; quantities below one are kept as they are.
        {"#A$1;0.5;20260101;0;", {L"#A", 1, 0.5, {2026, 1, 1}, 0}},
        {"#A$1;0,25;20260101;0;", {L"#A", 1, 0.25, {2026, 1, 1}, 0}},
        {"#A$1;-0.75;20260101;0;", {L"#A", 1, -0.75, {2026, 1, 1}, 0}},
        {"#A$1;2;2026126;1;", {L"#A", 1, 2.0, {2026, 12, 6}, 1}},
        {"#A$1;1.5;20240229;0;", {L"#A", 1, 1.5, {2024, 2, 29}, 0}},
        // Whole numbers round half to even; blanks around a number are allowed.
        {"#A$ 2,5 ;3;20261231; 3,5 ;", {L"#A", 2, 3.0, {2026, 12, 31}, 4}},
        {"#O'Brien$-7;1;20261206;1;x;y", {L"#O'Brien", -7, 1.0, {2026, 12, 6}, 1}},
        {"#Caff\xE8 42$1;1;20261206;1;", {L"#Caff\u00e8 42", 1, 1.0, {2026, 12, 6}, 1}},
        {"$1;1;20261206;1;", {L"", 1, 1.0, {2026, 12, 6}, 1}},
        {"#A$2147483647;1E3;20261206;-2147483648;",
         {L"#A", 2147483647, 1000.0, {2026, 12, 6}, -2147483647 - 1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.record);
        EXPECT_EQ(ParseInfraredRecord(Buffered(c.record)), c.reading);
        EXPECT_TRUE(HasArticleSeparator(c.record));
    }
}

TEST(InfraredRecord, MissingSeparatorsAndBadValuesRaiseTheHostsErrors) {
    struct Case {
        std::string record;
        std::int32_t number;
        std::wstring description;
    } cases[] = {
        {"#ART42 17;2;20261206;1;", 5, L"Invalid procedure call or argument"},
        {"#ART42$17;2;20261206;1", 5, L"Invalid procedure call or argument"},
        {"#ART42$17;2;20261206", 5, L"Invalid procedure call or argument"},
        {"#ART42$17", 5, L"Invalid procedure call or argument"},
        {"#A$B$1;1;20261206;1;", 13, L"Type mismatch"},
        {"#A$;2;20261206;1;", 13, L"Type mismatch"},
        {"#A$1;;20261206;1;", 13, L"Type mismatch"},
        {"#A$1;1.000,5;20261206;1;", 13, L"Type mismatch"},
        {"#A$1;2;202612;1;", 13, L"Type mismatch"},
        {"#A$1;2;20260229;1;", 13, L"Type mismatch"},
        {"#A$1;2;20261232;1;", 13, L"Type mismatch"},
        {"#A$1;2;;1;", 13, L"Type mismatch"},
        {"#A$1;2;20261206;x;", 13, L"Type mismatch"},
        {"#A$99999999999;2;20261206;1;", 6, L"Overflow"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.record);
        EXPECT_EQ(HasArticleSeparator(c.record), c.record.find('$') != std::string::npos);
        try {
            ParseInfraredRecord(Buffered(c.record));
            ADD_FAILURE() << "no error";
        } catch (const RaisedError& error) {
            EXPECT_EQ(error.number, c.number);
            EXPECT_EQ(error.description, c.description);
        }
    }
}

}  // namespace
}  // namespace reader

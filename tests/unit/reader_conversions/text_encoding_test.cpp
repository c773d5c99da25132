#include "core/text_encoding.h"

#include <gtest/gtest.h>

namespace reader {
namespace {

TEST(TextEncoding, Windows1252RoundTripsThroughUtf8) {
    // "Quantità", "Qtà", the euro sign (0x80) and a curly quote (0x92) as the devices send them.
    EXPECT_EQ(ToUtf8(FromWindows1252("Quantit\xE0")), "Quantit\xC3\xA0");
    EXPECT_EQ(ToUtf8(FromWindows1252("Qt\xE0")), "Qt\xC3\xA0");
    EXPECT_EQ(ToUtf8(FromWindows1252("\x80")), "\xE2\x82\xAC");
    EXPECT_EQ(ToUtf8(FromWindows1252("\x92")), "\xE2\x80\x99");
    EXPECT_EQ(FromWindows1252("\x81"), std::wstring(1, L'\x81'));

    std::string all;
    for (int b = 1; b < 256; ++b) all += static_cast<char>(b);
    EXPECT_EQ(ToWindows1252(FromUtf8(ToUtf8(FromWindows1252(all)))), all);
    EXPECT_EQ(ToWindows1252(L"\u4E2D"), "?");
}

TEST(TextEncoding, Utf8BeyondTheBasicPlaneAndInvalidBytes) {
    const std::string clef = "\xF0\x9D\x84\x9E";  // U+1D11E
    EXPECT_EQ(ToUtf8(FromUtf8(clef)), clef);
    EXPECT_EQ(FromUtf8("a\xFF"
                       "b"),
              L"a\xFFFD"
              L"b");
    EXPECT_EQ(FromUtf8("\xC3"), L"\xFFFD");
}

}  // namespace
}  // namespace reader

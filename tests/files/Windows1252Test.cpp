// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/Windows1252.h"

#include <gtest/gtest.h>

TEST(Windows1252, EveryByteSurvivesARoundTrip) {
    std::string all;
    for (int byte = 0; byte < 256; ++byte)
        all.push_back(static_cast<char>(byte));
    const QString text = FromWindows1252(all);
    EXPECT_EQ(text.size(), 256);
    EXPECT_EQ(ToWindows1252(text), all);
}

TEST(Windows1252, ReadsUmlautsAndTheHighRange) {
    EXPECT_EQ(FromWindows1252("Gl\xFC"
                              "hlampe \xC4\xD6\xDC\xE4\xF6\xDF"),
              QStringLiteral("Glühlampe ÄÖÜäöß"));
    EXPECT_EQ(FromWindows1252("\x80\x84\x93\x94\x96\x9F"), QStringLiteral("€„“”–Ÿ"));
    EXPECT_EQ(FromWindows1252("\x81\x8D\x8F\x90\x9D"), QStringLiteral("\u0081\u008D\u008F\u0090\u009D"));
}

TEST(Windows1252, WritesWhatItCannotHoldAsQuestionMarks) {
    EXPECT_EQ(ToWindows1252(QStringLiteral("Natrium € ü")), "Natrium \x80 \xFC");
    EXPECT_EQ(ToWindows1252(QStringLiteral("Hα 656")), "H? 656");
    // A character outside the basic plane is one character, so one '?'.
    EXPECT_EQ(ToWindows1252(QStringLiteral("a\U0001F4A1b")), "a?b");
    // U+0080 is no character of the code page, though byte 0x80 exists (it is the euro sign).
    EXPECT_EQ(ToWindows1252(QStringLiteral("\u0080")), "?");
}

// Number fields from the text of an edit box.
#include <gtest/gtest.h>

#include <cmath>

#include "model/TextEntry.h"
#include "platform/ScriptedDialogs.h"

using namespace qem;

TEST(TextEntry, RealTextsStoreTheirValue) {
    struct Case {
        const char* text;
        float want;
    } cases[] = {
        {"12,5", 12.5f}, {"12.5", 12.5f},   {"  12.5  ", 12.5f}, {"\t12,5 ", 12.5f}, {"-", 0.0f},        {"", 0.0f},
        {"   ", 0.0f},   {"-3.25", -3.25f}, {"+7", 7.0f},        {"1e3", 1000.0f},   {"2.5E-2", 0.025f}, {".5", 0.5f},
        {"5.", 5.0f},    {"-0,75", -0.75f}, {"1,5e2", 150.0f},   {"1e-60", 0.0f},
    };
    for (const auto& c : cases) {
        ScriptedDialogs d;
        float field = 99.0f;
        EXPECT_TRUE(TextToSingle(c.text, field, d)) << c.text;
        EXPECT_EQ(field, c.want) << "'" << c.text << "'";
        EXPECT_TRUE(d.shown.empty()) << c.text;
    }
}

TEST(TextEntry, UnreadableRealShowsThePositionAndKeepsTheField) {
    struct Case {
        const char* text;
        int pos;
    } cases[] = {
        {"1x", 2},    {" 1x ", 2}, {"x", 1},  {"+", 2},  {"--1", 2}, {"1e", 3},    {"1.2.3", 4},
        {"1,2,3", 4}, {"12 5", 3}, {"ё5", 1}, {"5ё", 2}, {"1e+", 4}, {"1e400", 6},  // beyond the range of a Single: the
                                                                                    // position after the text
    };
    for (const auto& c : cases) {
        ScriptedDialogs d;
        float field = 7.5f;
        EXPECT_FALSE(TextToSingle(c.text, field, d)) << c.text;
        EXPECT_EQ(field, 7.5f) << c.text;
        ASSERT_EQ(d.shown.size(), 1u) << c.text;
        EXPECT_EQ(d.shown[0].text, " Ошибка в позиции " + std::to_string(c.pos)) << "'" << c.text << "'";
        EXPECT_EQ(d.shown[0].buttons, Buttons::Ok);
    }
}

TEST(TextEntry, OnlyTheFirstSixtyCharactersAreRead) {
    ScriptedDialogs d;
    float f = 1;
    // "0.5000...0" is 60 characters; the 'x' after the cut is not seen.
    EXPECT_TRUE(TextToSingle("0.5" + std::string(57, '0') + "x", f, d));
    EXPECT_EQ(f, 0.5f);
    int i = 3;
    EXPECT_TRUE(TextToInt(" " + std::string(59, '0') + "7" + "zzz", i, d));
    EXPECT_EQ(i, 7);
    EXPECT_TRUE(d.shown.empty());
    // Characters, not bytes, are counted.
    std::string ya70, ya60;
    for (int k = 0; k < 70; ++k) ya70 += "я";
    for (int k = 0; k < 60; ++k) ya60 += "я";
    EXPECT_EQ(EntryText("  " + ya70), ya60);
    EXPECT_EQ(EntryText("  абв  "), "абв");
}

TEST(TextEntry, IntegerTexts) {
    struct Case {
        const char* text;
        int want;  // value, or -pos when the text must fail at pos
        bool ok;
    } cases[] = {
        {"42", 42, true},
        {" -17 ", -17, true},
        {"+5", 5, true},
        {"-", 0, true},
        {"", 0, true},
        {"2147483647", 2147483647, true},
        {"-2147483648", -2147483647 - 1, true},
        {"12,5", 3, false},
        {"12.5", 3, false},
        {"1x", 2, false},
        {"2147483648", 10, false},
        {"+", 2, false},
        {"7 7", 2, false},
    };
    for (const auto& c : cases) {
        ScriptedDialogs d;
        int field = 11;
        EXPECT_EQ(TextToInt(c.text, field, d), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(field, c.want) << c.text;
            EXPECT_TRUE(d.shown.empty());
        } else {
            EXPECT_EQ(field, 11) << c.text;
            ASSERT_EQ(d.shown.size(), 1u) << c.text;
            EXPECT_EQ(d.shown[0].text, " Ошибка в позиции " + std::to_string(c.want)) << c.text;
        }
    }
}

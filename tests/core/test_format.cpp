#include <gtest/gtest.h>

#include "engine/Report.h"
#include "model/Format.h"

using namespace qem;

TEST(Format, ConversionsAndWidthsCountCharacters) {
    struct Case {
        std::string got, want;
    } cases[] = {
        {Format("%6.2f", 3.14159), "  3.14"},
        {Format("%6.0f", 2.5), "     3"},  // exact half away from zero
        {Format("%6.0f", -2.5), "    -3"},
        {Format("%8.2f", 0.125), "    0.13"},
        {Format("%6.0f", 1e5), "100000"},
        {Format("%3d", 7), "  7"},
        {Format("|%7u      ", 2), "|      2      "},
        {Format("%5s-%5s", std::string("12"), std::string("13а")), "   12-  13а"},
        {Format("%3s кВ %s-%s", std::string("110"), std::string("Южная"), std::string("Северная")),
         "110 кВ Южная-Северная"},
        {Format("%6s", std::string("ясно  ")), "ясно  "},
        {Format("%10d", 0), "         0"},
        {Format("100%%"), "100%"},
    };
    for (const auto& c : cases) EXPECT_EQ(c.got, c.want);
    EXPECT_THROW(Format("%5s"), std::invalid_argument);
}

TEST(Report, RendersColoursAndCp1251Lines) {
    Report r;
    r.add("Пролет");
    r.add("нарушение", Colour::Red);
    r.add("МОЖНО", Colour::Blue);
    EXPECT_EQ(AnsiText(r), "Пролет\n\x1b[31mнарушение\x1b[0m\n\x1b[34mМОЖНО\x1b[0m\n");
    const std::string bytes = Cp1251Text(r);
    EXPECT_EQ(bytes.substr(0, 8), "\xCF\xF0\xEE\xEB\xE5\xF2\r\n");
    Report back = ReportFromCp1251(bytes);
    ASSERT_EQ(back.lines.size(), 3u);
    EXPECT_EQ(back.lines[2].text, "МОЖНО");
}

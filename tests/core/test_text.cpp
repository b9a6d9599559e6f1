#include <gtest/gtest.h>

#include "model/Cp1251.h"

using namespace qem;

TEST(Cp1251, RoundTripsCyrillicAndCountsCharacters) {
    const std::string utf8 = "ВЛ 110кВ Южная-Северная №5 ёЁ";
    const std::string cp = Utf8ToCp1251(utf8);
    EXPECT_EQ(cp.size(), Utf8Length(utf8));
    EXPECT_EQ(static_cast<unsigned char>(cp[0]), 0xC2);  // В
    EXPECT_EQ(Cp1251ToUtf8(cp), utf8);
    EXPECT_EQ(Utf8Left(utf8, 2), "ВЛ");
    EXPECT_EQ(Utf8ToCp1251("日"), "?");
}

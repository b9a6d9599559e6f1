// The obstacle editor's operations on a span: list conventions, cell commits, add, delete, sort.
#include <gtest/gtest.h>

#include "platform/ScriptedDialogs.h"
#include "setup/Obstacles.h"
#include "setup/RouteProfile.h"

using namespace qem;

namespace {

TySpan SpanWithObstacles(std::vector<float> heights) {
    TySpan s;
    s.Lpr = 250;
    for (size_t i = 0; i < heights.size(); ++i) {
        TyPrep& p = s.Prep[int(i) + 1];
        p.Lprep = 20.0f * (i + 1);
        p.Hprep = heights[i];
        p.TPrp = int(i) % 13;
        p.GabPrep = 100.0f + i;
    }
    s.NPrep = heights.empty() ? 1 : int(heights.size());
    return s;
}

}  // namespace

TEST(Obstacles, FirstObstacleOfAnEmptyListAndDeletingTheOnlyOne) {
    for (int nprep : {0, 1}) {  // a file may hold NPrep = 0 for an empty list
        TySpan s;
        s.Lpr = 250;
        s.NPrep = nprep;
        s.Prep[1].HSeaPrep = 5;  // left over
        ScriptedDialogs d;
        EXPECT_EQ(ObstacleRows(s), 0);
        ASSERT_EQ(AddObstacle(s, ObstacleRows(s), d), 1);
        EXPECT_EQ(s.NPrep, 1);
        EXPECT_EQ(s.Prep[1], TyPrep{});
        EXPECT_EQ(ObstacleCellText(s, 1, 6), "ВЛ 750кВ");
        EXPECT_EQ(ObstacleCellText(s, 1, 0), "0.00");
        ASSERT_TRUE(CommitObstacleCell(s, 1, 0, "35,5", d));
        EXPECT_EQ(ObstacleRows(s), 1);
        d.answers = {Answer::Yes};
        ASSERT_TRUE(DeleteObstacle(s, 1, 1, d));
        EXPECT_EQ(s.Prep[1].Lprep, 0);
        EXPECT_EQ(s.NPrep, 1);
        EXPECT_EQ(ObstacleRows(s), 0);
        EXPECT_TRUE(ObstacleSelectorItems(s).empty());
    }
}

TEST(Obstacles, AddKeepsEveryRowAndStopsAtTen) {
    TySpan s = SpanWithObstacles({5});
    ScriptedDialogs d;
    ASSERT_EQ(AddObstacle(s, 1, d), 2);
    ASSERT_EQ(AddObstacle(s, 2, d), 3);
    EXPECT_EQ(s.NPrep, 3);
    // A second obstacle added while the first has no distance yet is still counted and
    // leaves the first one alone.
    TySpan e;
    ASSERT_EQ(AddObstacle(e, 0, d), 1);
    e.Prep[1].Hprep = 6;
    ASSERT_EQ(AddObstacle(e, 1, d), 2);
    EXPECT_EQ(e.NPrep, 2);
    EXPECT_EQ(e.Prep[1].Hprep, 6);
    EXPECT_EQ(ObstacleSelectorItems(s), (std::vector<std::string>{"1", "2", "3"}));

    TySpan full = SpanWithObstacles(std::vector<float>(10, 3.0f));
    const TySpan before = full;
    EXPECT_EQ(AddObstacle(full, 10, d), 0);
    EXPECT_EQ(full, before);
    EXPECT_EQ(d.Texts(), std::vector<std::string>{"В пролёте уже 10 препятствий — больше добавить нельзя"});
}

TEST(Obstacles, DeleteMovesTheLaterOnesUp) {
    TySpan s = SpanWithObstacles({1, 2, 3});
    const TySpan old = s;
    ScriptedDialogs d;
    d.answers = {Answer::Cancel};
    EXPECT_FALSE(DeleteObstacle(s, 3, 2, d));
    EXPECT_EQ(s, old);
    d.answers = {Answer::Yes};
    EXPECT_FALSE(DeleteObstacle(s, 3, 4, d));  // not listed; not asked
    ASSERT_TRUE(DeleteObstacle(s, 3, 2, d));
    EXPECT_EQ(s.NPrep, 2);
    EXPECT_EQ(s.Prep[1], old.Prep[1]);
    EXPECT_EQ(s.Prep[2], old.Prep[3]);
    EXPECT_EQ(s.Prep[3], TyPrep{});
}

TEST(Obstacles, CommitDistanceMustBeBelowTheSpanLength) {
    TySpan s = SpanWithObstacles({4});
    ScriptedDialogs d;
    struct Case {
        const char* text;
        bool stands;
        float lprep;
        bool message;
    } cases[] = {
        {"249.9", true, 249.9f, false}, {"12,25", true, 12.25f, false}, {"250", false, 0, true},  // equal to Lpr
        {"300", false, 0, true},        {"abc", false, 0, false},
    };
    for (const Case& c : cases) {
        s.Prep[1].Lprep = 20;
        d.shown.clear();
        EXPECT_EQ(CommitObstacleCell(s, 1, 0, c.text, d), c.stands) << c.text;
        EXPECT_FLOAT_EQ(s.Prep[1].Lprep, c.lprep) << c.text;
        EXPECT_EQ(!d.shown.empty(), c.message) << c.text;
        if (c.message) EXPECT_EQ(d.shown[0].text, "длина до препятствия не может превышать длину пролёта");
    }
}

TEST(Obstacles, CommitOtherColumns) {
    TySpan s = SpanWithObstacles({4});
    ScriptedDialogs d;
    ASSERT_TRUE(CommitObstacleCell(s, 1, 1, "7,5", d));
    ASSERT_TRUE(CommitObstacleCell(s, 1, 2, "11.5", d));
    ASSERT_TRUE(CommitObstacleCell(s, 1, 4, "3", d));
    ASSERT_TRUE(CommitObstacleCell(s, 1, 5, "150.25", d));
    EXPECT_EQ(s.Prep[1].GabZem, 7.5f);
    EXPECT_EQ(s.Prep[1].Hprep, 11.5f);
    EXPECT_EQ(s.Prep[1].GabPrep, 3.0f);
    EXPECT_EQ(s.Prep[1].HSeaPrep, 150.25f);
    // Not a number: the cell shows "0"; the height becomes 0, the clearances keep their value.
    EXPECT_FALSE(CommitObstacleCell(s, 1, 2, "x", d));
    EXPECT_EQ(s.Prep[1].Hprep, 0);
    EXPECT_FALSE(CommitObstacleCell(s, 1, 4, "", d));
    EXPECT_EQ(s.Prep[1].GabPrep, 3.0f);
    // Type columns and the header are not committed.
    EXPECT_TRUE(CommitObstacleCell(s, 1, 6, "x", d));
    EXPECT_TRUE(CommitObstacleCell(s, 0, 0, "x", d));
    EXPECT_TRUE(d.shown.empty());
    SetObstacleType(s, 1, 12);
    EXPECT_EQ(s.Prep[1].TPrp, 12);
    SetObstacleType(s, 1, 13);
    EXPECT_EQ(s.Prep[1].TPrp, 12);
}

TEST(Obstacles, SortByHeightMovesWholeRecords) {
    TySpan s = SpanWithObstacles({10, 9});
    const TySpan old = s;
    SortObstaclesByHeight(s, 2, true);
    EXPECT_EQ(s.Prep[1], old.Prep[2]);
    EXPECT_EQ(s.Prep[2], old.Prep[1]);
    SortObstaclesByHeight(s, 2, false);
    EXPECT_EQ(s.Prep[1], old.Prep[1]);

    TySpan m = SpanWithObstacles({5, 1, 7, 3, 7, 2});
    m.Prep[7].Hprep = -100;  // not listed, stays where it is
    SortObstaclesByHeight(m, 6, true);
    std::vector<float> h;
    for (int i = 1; i <= 6; ++i) h.push_back(m.Prep[i].Hprep);
    EXPECT_EQ(h, (std::vector<float>{1, 2, 3, 5, 7, 7}));
    EXPECT_EQ(m.Prep[7].Hprep, -100);
    EXPECT_FLOAT_EQ(m.Prep[1].Lprep, 40);  // the distance went with its height
    SortObstaclesByHeight(m, 6, false);
    EXPECT_EQ(m.Prep[1].Hprep, 7);
    EXPECT_EQ(m.Prep[6].Hprep, 1);
}

TEST(RouteProfile, CountAndCountChange) {
    TySpan s;
    for (int i = 1; i <= 10; ++i) s.Zem[i] = TyZem{100.0f + i, 25.0f * i};
    EXPECT_EQ(ProfileCount(s), 10);
    const TySpan ten = s;
    SetProfileCount(s, ProfileCount(s));
    EXPECT_EQ(s, ten);

    s.Zem[3].ZemL = 0;
    EXPECT_EQ(ProfileCount(s), 2);
    SetProfileCount(s, ProfileCount(s));  // opening the editor
    for (int i = 3; i <= 10; ++i) EXPECT_EQ(s.Zem[i], TyZem{}) << i;
    EXPECT_EQ(s.Zem[2], ten.Zem[2]);

    TySpan f = ten;
    SetProfileCount(f, 3);
    EXPECT_EQ(f.Zem[4], TyZem{});
    EXPECT_EQ(f.Zem[5], TyZem{});
    SetProfileCount(f, 5);
    EXPECT_EQ(ProfileCellText(f, 4, 0), "       0.0");
    EXPECT_EQ(ProfileCellText(f, 3, 0), "      75.0");
    EXPECT_EQ(ProfileCellText(f, 3, 1), "     103.0");
    SetProfileCount(f, -4);
    EXPECT_EQ(ProfileCount(f), 0);
}

TEST(RouteProfile, ACountThatWouldClearPointsWithDataAsksFirst) {
    TySpan s;
    for (int i = 1; i <= 3; ++i) s.Zem[i] = TyZem{100.0f + i, 25.0f * i};
    ScriptedDialogs d;
    // Raising the count, or lowering it over empty points, asks nothing.
    EXPECT_TRUE(ChangeProfileCount(s, 10, d));
    EXPECT_TRUE(ChangeProfileCount(s, 3, d));
    EXPECT_TRUE(d.shown.empty());
    EXPECT_EQ(ProfileCount(s), 3);
    // Lowering to 1 would clear points 2 and 3: Cancel keeps them, Yes clears them.
    const TySpan three = s;
    d.answers = {Answer::Cancel};
    EXPECT_FALSE(ChangeProfileCount(s, 1, d));
    EXPECT_EQ(s, three);
    EXPECT_EQ(d.shown.back().text, "При количестве участков 1 точки профиля 2, 3 будут удалены. Продолжить?");
    EXPECT_EQ(d.shown.back().buttons, Buttons::YesCancel);
    d.answers = {Answer::Yes};
    EXPECT_TRUE(ChangeProfileCount(s, 2, d));
    EXPECT_EQ(d.shown.back().text, "При количестве участков 2 точка профиля 3 будет удалена. Продолжить?");
    EXPECT_EQ(ProfileCount(s), 2);
    EXPECT_EQ(s.Zem[3], TyZem{});
    // An elevation without a distance is data as well.
    s.Zem[5].ZemH = 140;
    EXPECT_EQ(ProfilePointsBeyond(s, 2), std::vector<int>{5});
}

TEST(RouteProfile, CellEditsParseIntoThePoint) {
    TySpan s;
    ScriptedDialogs d;
    ASSERT_TRUE(EditProfileCell(s, 1, 0, "80,5", d));
    ASSERT_TRUE(EditProfileCell(s, 1, 1, "132.25", d));
    EXPECT_EQ(s.Zem[1], (TyZem{132.25f, 80.5f}));
    EXPECT_EQ(ProfileCount(s), 1);
    EXPECT_FALSE(EditProfileCell(s, 1, 0, "8o", d));
    EXPECT_EQ(d.Texts(), std::vector<std::string>{" Ошибка в позиции 2"});
    EXPECT_EQ(s.Zem[1].ZemL, 80.5f);
    EXPECT_FALSE(EditProfileCell(s, 11, 0, "1", d));
}

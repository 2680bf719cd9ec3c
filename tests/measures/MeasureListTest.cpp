// The items as a column: lookups, rows, hit tests, joined texts and menu entries.
#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <vector>

#include "measures/MeasureList.h"
#include "support/FakeMeasure.h"

namespace {

struct Row {
    const char* name;
    int lines;
    bool shown, graph;
};

struct MeasureListTest : ItemTest {
    void build(std::initializer_list<Row> rows, int interval = 0)
    {
        std::vector<std::unique_ptr<Measure>> owned;
        for (const Row& row : rows) {
            auto item =
                std::make_unique<FakeMeasure>(host, settings, row.name, interval, row.lines);
            item->setShown(row.shown, false);
            item->setGraph(row.graph, 50);
            items.push_back(item.get());
            owned.push_back(std::move(item));
        }
        list = std::make_unique<MeasureList>(std::move(owned));
    }
    Measure* item(int position) { return position < 0 ? nullptr : items[position]; }

    TestWindow window;
    std::vector<FakeMeasure*> items;
    std::unique_ptr<MeasureList> list;
};

TEST_F(MeasureListTest, Queries)
{
    build({{"A", 1, true, false},
           {"Battery", 1, false, true},
           {"Network", 2, true, false},
           {"CPU", 1, true, true},
           {"E", 1, true, false}});
    const struct {
        const char* name;
        int position;
    } names[] = {{"Battery", 1}, {"CPU", 3},       {"battery", -1},
                 {"Batt", -1},   {"Battery ", -1}, {"", -1}};
    for (const auto& c : names)
        EXPECT_EQ(list->findByName(c.name), item(c.position)) << c.name;

    EXPECT_FALSE(list->anyChanged());
    items[1]->markChanged();
    EXPECT_TRUE(list->anyChanged());
    // The hidden graph is skipped; the two-line item counts once.
    EXPECT_TRUE(list->anyVisibleGraph());
    EXPECT_EQ(list->shownItemsAboveFirstGraph(), 2);
    items[3]->setShown(false, false);
    EXPECT_FALSE(list->anyVisibleGraph());
    EXPECT_EQ(list->shownItemsAboveFirstGraph(), 3);
}

TEST_F(MeasureListTest, HitTestFindsTheItemAndLineUnderAScreenPoint)
{
    build({{"A", 1, true, false},
           {"Hidden", 1, false, false},
           {"B", 1, true, false},
           {"C", 1, true, false},
           {"Network", 2, true, false},
           {"E", 1, true, false}});
    const int left = 300, top = 200;
    SetWindowPos(window.handle(), nullptr, left, top, 200, 100, SWP_NOZORDER | SWP_NOACTIVATE);
    // y below the window's top edge → position (-1: none) and line within the item.
    const struct {
        int y, position, line;
    } cases[] = {{0, 0, 1},  {15, 0, 1}, {16, 2, 1},  {47, 3, 1}, {48, 4, 1},
                 {70, 4, 2}, {95, 5, 1}, {96, -1, 0}, {-1, -1, 0}};
    for (const auto& c : cases) {
        int line = 0;
        EXPECT_EQ(list->hitTest(window.handle(), left + 5, top + c.y, line, 16), item(c.position))
            << "y " << c.y;
        EXPECT_EQ(c.position < 0 ? 0 : line, c.line) << "y " << c.y;
    }
    int line = 0;
    EXPECT_EQ(list->hitTest(window.handle(), left + 5, top + 70, line, 0), nullptr);
}

TEST_F(MeasureListTest, JoinedTextsIncludeHiddenItems)
{
    build({{"A", 1, true, false}, {"Hidden", 1, false, false}, {"Network", 2, true, false}});
    items[0]->setValue("1");
    items[1]->setValue("2");
    items[2]->setValue("3\n4");
    list->joinNames();
    EXPECT_EQ(list->joinNames(), "A\nHidden\nNetwork\n");
    int allLines = 0, shownLines = 0;
    list->joinValues(allLines, shownLines);
    EXPECT_EQ(list->joinValues(allLines, shownLines), "1\n2\n3\n4\n");
    EXPECT_EQ(allLines, 8);  // added to, twice
    EXPECT_EQ(shownLines, 6);
}

TEST_F(MeasureListTest, MenuEntriesFollowTheExistingOnesAndTrackShownFlags)
{
    build({{"A", 1, true, false}, {"B", 1, false, false}, {"C", 1, true, false}});
    HMENU menu = CreatePopupMenu();
    AppendMenuA(menu, MF_STRING, 100, "Existing");
    list->appendMenuItems(menu);
    auto expectEntries = [&] {
        ASSERT_EQ(GetMenuItemCount(menu), 4);
        EXPECT_EQ(GetMenuItemID(menu, 0), 100u);
        for (UINT i = 1; i <= 3; ++i) {
            char text[32] = {};
            GetMenuStringA(menu, i, text, sizeof text, MF_BYPOSITION);
            EXPECT_EQ(GetMenuItemID(menu, static_cast<int>(i)), i);
            EXPECT_STREQ(text, items[i - 1]->name().c_str());
            bool checked = (GetMenuState(menu, i, MF_BYPOSITION) & MF_CHECKED) != 0;
            EXPECT_EQ(checked, items[i - 1]->isShown());
        }
    };
    expectEntries();
    items[0]->setShown(false, false);
    items[1]->setShown(true, false);
    list->checkMenuItems(menu);
    expectEntries();

    // The last shown item cannot be unchecked from the menu, and only it is greyed.
    items[1]->setShown(false, false);
    list->checkMenuItems(menu);
    for (UINT i = 1; i <= 3; ++i)
        EXPECT_EQ((GetMenuState(menu, i, MF_BYPOSITION) & MF_GRAYED) != 0, i == 3) << i;
    items[1]->setShown(true, false);
    list->checkMenuItems(menu);
    EXPECT_EQ(GetMenuState(menu, 3, MF_BYPOSITION) & MF_GRAYED, 0u);
    DestroyMenu(menu);
}

TEST_F(MeasureListTest, NothingShownShowsTheVersionItem)
{
    build({{"A", 1, false, false}, {"Version", 1, false, false}});
    EXPECT_TRUE(list->showVersionIfNoneShown(false));
    EXPECT_TRUE(items[1]->isShown());
    EXPECT_FALSE(items[0]->isShown());
    EXPECT_EQ(list->onlyShownItem(), items[1]);

    items[1]->setShown(false, false);
    items[0]->setShown(true, false);
    EXPECT_FALSE(list->showVersionIfNoneShown(false));
    EXPECT_FALSE(items[1]->isShown());
}

TEST_F(MeasureListTest, DestroyAllStopsEveryTimer)
{
    build({{"A", 1, true, false}, {"B", 1, true, true}, {"C", 1, true, false}}, 20);
    std::vector<UINT_PTR> ids;
    for (FakeMeasure* each : items)
        ids.push_back(reinterpret_cast<UINT_PTR>(each));
    items.clear();
    list->destroyAll();
    EXPECT_EQ(list->count(), 0);
    for (UINT_PTR id : ids)
        EXPECT_FALSE(KillTimer(window.handle(), id));
}

}  // namespace

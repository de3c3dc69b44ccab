// The catalogue and option lists against the rules their entries follow.
#include "craft_catalogue.h"
#include "errors.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

using namespace mission;

namespace {

bool EndsInSpace(std::string_view s) {
    return !s.empty() && s.back() == ' ';
}

template <std::size_t N> std::vector<int> RowsEndingInSpace(const std::array<std::string_view, N>& items) {
    std::vector<int> rows;
    for (std::size_t i = 0; i < N; ++i)
        if (EndsInSpace(items[i]))
            rows.push_back(static_cast<int>(i));
    return rows;
}

} // namespace

TEST(CraftCatalogue, ColumnsAndMarks) {
    const auto longNames = CraftLongNameItems;
    const auto shortNames = CraftShortNameItems;
    EXPECT_EQ(longNames[0], "(None)");
    EXPECT_EQ(shortNames[0], "---");
    EXPECT_EQ(longNames[231], "*DontUseMe");
    EXPECT_EQ(shortNames[231], "*Backdrop 16");
    EXPECT_EQ(shortNames[1], "X-W");
    EXPECT_EQ(shortNames[101], "Imperial Research Ship (?\?\?)");

    std::size_t longest = 0, longestShort = 0;
    int starredLong = 0, starredShort = 0, dontUse = 0;
    std::multiset<std::string_view> longSet;
    for (int row = 0; row < kCraftCount; ++row) {
        longest = std::max(longest, longNames[row].size());
        longestShort = std::max(longestShort, shortNames[row].size());
        starredLong += longNames[row].starts_with('*');
        starredShort += shortNames[row].starts_with('*');
        if (longNames[row] == "*DontUseMe") {
            ++dontUse;
            EXPECT_TRUE((row >= 184 && row <= 226) || row == 231) << row;
        }
        longSet.insert(longNames[row]);
        for (const char c : longNames[row])
            EXPECT_TRUE(c >= 0x20 && c < 0x7F) << row;
        EXPECT_FALSE(longNames[row].starts_with(' ') || shortNames[row].starts_with(' ')) << row;
        EXPECT_FALSE(EndsInSpace(shortNames[row])) << row;
    }
    EXPECT_EQ(longest, 24u);
    EXPECT_EQ(longestShort, 28u);
    EXPECT_EQ(starredLong, 64);
    EXPECT_EQ(starredShort, 52);
    EXPECT_EQ(dontUse, 44);
    for (const auto& name : longSet)
        if (name != "*DontUseMe") {
            EXPECT_EQ(longSet.count(name), 1u) << name;
        }
    EXPECT_EQ(RowsEndingInSpace(longNames), (std::vector<int>{9, 18, 103, 109, 150}));
    EXPECT_EQ(shortNames[70], "SAT");
    EXPECT_EQ(shortNames[71], "SAT");
    EXPECT_EQ(shortNames[72], "SAT");
    EXPECT_EQ(shortNames[171].substr(0, 5), "NAME!");
    EXPECT_EQ(shortNames[172].substr(0, 5), "NAME!");
    EXPECT_EQ(longNames[82], "*Probe3");
    EXPECT_EQ(shortNames[183], "*Backdrop");
}

TEST(CraftCatalogue, OptionListsEndInSpacesWhereTheyShould) {
    EXPECT_EQ(RowsEndingInSpace(AIBoxItems), (std::vector<int>{0, 1, 2, 3, 4}));
    EXPECT_EQ(RowsEndingInSpace(CounterBoxItems), (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(RowsEndingInSpace(BeamBoxItems), (std::vector<int>{0, 1, 2, 3}));
    EXPECT_EQ(RowsEndingInSpace(GoalBoxItems), (std::vector<int>{0, 1, 2, 3}));
    EXPECT_EQ(RowsEndingInSpace(MissleBoxItems), (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8}));
    EXPECT_TRUE(RowsEndingInSpace(OrderBoxItems).empty());
    EXPECT_TRUE(RowsEndingInSpace(ArenaBoxItems).empty());
    EXPECT_TRUE(RowsEndingInSpace(NameBoxItems).empty());
    EXPECT_EQ(AIBoxItems[3], "Ace ");
    EXPECT_EQ(OrderBoxItems[1], "Superiority - Attack Fighters then Primary FGs");
    EXPECT_EQ(ArenaBoxItems[5], "(Unique Region)?");
    EXPECT_EQ(MissionTypeBoxItems[1], "Melee");
}

TEST(CraftCatalogue, GoalTextsAndListPositions) {
    EXPECT_EQ(GoalText(0), "Destroy All Flight Groups ");
    EXPECT_EQ(GoalText(4), "Inspect and Destroy All Primary Flight Groups");
    EXPECT_EQ(GoalText(5), "");
    EXPECT_EQ(GoalText(-1), "");
    const struct {
        std::int64_t value;
        std::size_t count;
        int position;
    } cases[] = {{0, 6, 0},
                 {5, 6, 5},
                 {6, 6, -1},
                 {-1, 2, -1},
                 {231, 232, 231},
                 {232, 232, -1},
                 {255, 232, -1},
                 {-2147483648LL, 5, -1},
                 {4294967295LL, 5, -1}};
    for (const auto& c : cases)
        EXPECT_EQ(ListPosition(c.value, c.count), c.position) << c.value;
}

TEST(CraftCatalogue, DefaultNames) {
    auto name = DefaultFlightGroupName(0);
    EXPECT_EQ(std::string(name.begin(), name.begin() + 3), "One");
    EXPECT_TRUE(std::all_of(name.begin() + 3, name.end(), [](auto b) { return b == 0; }));
    name = DefaultFlightGroupName(15);
    EXPECT_EQ(std::string(name.begin(), name.begin() + 7), "Sixteen");
    EXPECT_TRUE(std::all_of(name.begin() + 7, name.end(), [](auto b) { return b == 0; }));
    EXPECT_THROW(DefaultFlightGroupName(-1), std::out_of_range);
}

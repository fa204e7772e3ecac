#include "hotkeys/catalogue.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <set>
#include <string>
#include <vector>

namespace kestrune {
namespace {

TEST(Catalogue, ListsTheTwelveFunctionsInDisplayOrder) {
    std::vector<std::string> names;
    for (const auto& f : kCatalogue) names.emplace_back(f.display_name);
    EXPECT_EQ(names,
              (std::vector<std::string>{"Play", "Stop", "Next Track", "Prev Track", "Volume Up",
                                        "Volume Down", "Pause", "Toggle Shuffle", "Toggle Repeat",
                                        "Seek Forward", "Seek Back", "Exit"}));
}

TEST(Catalogue, CommandIdentifiersAndSendCounts) {
    const std::vector<std::pair<std::string, std::int32_t>> expected{
        {"Play", 40045},         {"Stop", 40047},           {"Next Track", 40048},
        {"Prev Track", 40044},   {"Volume Up", 40058},      {"Volume Down", 40059},
        {"Pause", 40046},        {"Toggle Shuffle", 40023}, {"Toggle Repeat", 40022},
        {"Seek Forward", 40148}, {"Seek Back", 40144},      {"Exit", 40001}};
    for (const auto& [name, id] : expected) {
        const auto f =
            std::find_if(kCatalogue.begin(), kCatalogue.end(),
                         [&](const PlayerFunction& p) { return p.display_name == name; });
        ASSERT_NE(f, kCatalogue.end()) << name;
        EXPECT_EQ(f->command_id, id) << name;
        const bool volume = name == "Volume Up" || name == "Volume Down";
        EXPECT_EQ(f->send_count, volume ? 5 : 1) << name;
    }
}

TEST(Catalogue, SettingsKeyIsTheDisplayNameInLowerCase) {
    for (const auto& f : kCatalogue) {
        std::string lower(f.display_name);
        for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        EXPECT_EQ(f.settings_key, lower);
    }
}

TEST(Catalogue, PollOrderPutsTrackFunctionsFirst) {
    std::vector<std::string> order;
    std::set<int> positions;
    for (const PlayerFunction* f : PollOrder()) {
        order.emplace_back(f->display_name);
        positions.insert(f->poll_position);
    }
    EXPECT_EQ(order,
              (std::vector<std::string>{"Next Track", "Prev Track", "Play", "Stop", "Volume Up",
                                        "Volume Down", "Pause", "Toggle Shuffle", "Toggle Repeat",
                                        "Seek Forward", "Seek Back", "Exit"}));
    EXPECT_EQ(positions.size(), 12u);
    EXPECT_EQ(*positions.begin(), 1);
    EXPECT_EQ(*positions.rbegin(), 12);
}

}  // namespace
}  // namespace kestrune

#include "hotkeys/catalogue.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <set>
#include <stdexcept>
#include <string>

namespace kestrune {
namespace {

const PlayerFunction& Named(std::string_view name) {
    const auto f = std::find_if(kCatalogue.begin(), kCatalogue.end(),
                                [&](const PlayerFunction& p) { return p.display_name == name; });
    if (f == kCatalogue.end()) throw std::runtime_error("no function " + std::string(name));
    return *f;
}

TEST(Catalogue, UniqueNamesAndCommandsAndPollPositionsFromOneOn) {
    std::set<std::string_view> names;
    std::set<std::int32_t> commands;
    std::set<int> positions;
    for (const PlayerFunction& f : kCatalogue) {
        names.insert(f.display_name);
        commands.insert(f.command_id);
        positions.insert(f.poll_position);
        std::string lower(f.display_name);
        for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        EXPECT_EQ(f.settings_key, lower) << "the settings key is the display name in lower case";
        EXPECT_EQ(f.ends_program, f.display_name == "Exit") << f.display_name;
    }
    EXPECT_EQ(names.size(), kCatalogue.size());
    EXPECT_EQ(commands.size(), kCatalogue.size());
    EXPECT_EQ(positions.size(), kCatalogue.size());
    EXPECT_EQ(*positions.begin(), 1);
    EXPECT_EQ(*positions.rbegin(), static_cast<int>(kCatalogue.size())) << "no gaps";
}

TEST(Catalogue, NamedRows) {
    EXPECT_EQ(kCatalogue.front().display_name, "Play") << "listed first";
    EXPECT_EQ(kCatalogue.back().display_name, "Exit") << "listed last";
    EXPECT_EQ(Named("Next Track").settings_key, "next track");
    EXPECT_EQ(Named("Next Track").command_id, 40048);
    EXPECT_EQ(Named("Play").command_id, 40045);
    EXPECT_EQ(Named("Exit").command_id, 40001);
    for (const PlayerFunction& f : kCatalogue) {
        const bool volume = f.display_name == "Volume Up" || f.display_name == "Volume Down";
        EXPECT_EQ(f.send_count, volume ? 5 : 1) << f.display_name;
    }
}

TEST(Catalogue, PollOrderPutsTrackFunctionsFirstAndThenFollowsTheList) {
    const auto& order = PollOrder();
    ASSERT_EQ(order.size(), kCatalogue.size());
    EXPECT_EQ(order[0]->display_name, "Next Track");
    EXPECT_EQ(order[1]->display_name, "Prev Track");
    EXPECT_EQ(order[2]->display_name, "Play");
    EXPECT_EQ(order[3]->display_name, "Stop");
    for (std::size_t i = 4; i < order.size(); ++i) EXPECT_EQ(order[i], &kCatalogue[i]) << i;
}

}  // namespace
}  // namespace kestrune

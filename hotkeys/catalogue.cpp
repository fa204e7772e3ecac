#include "hotkeys/catalogue.hpp"

#include <algorithm>

namespace kestrune {

const std::array<const PlayerFunction*, kCatalogue.size()>& PollOrder() {
    static const auto order = [] {
        std::array<const PlayerFunction*, kCatalogue.size()> sorted{};
        std::transform(kCatalogue.begin(), kCatalogue.end(), sorted.begin(),
                       [](const PlayerFunction& f) { return &f; });
        std::sort(sorted.begin(), sorted.end(),
                  [](const PlayerFunction* a, const PlayerFunction* b) {
                      return a->poll_position < b->poll_position;
                  });
        return sorted;
    }();
    return order;
}

}  // namespace kestrune

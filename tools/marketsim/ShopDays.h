#pragma once

#include <cstdint>
#include <ctime>
#include <string>

#include "Market.h"

namespace marketsim {

// The demo shop as it stands on a given day: day 1 is DemoShop(seed) itself, and each later day
// applies that day's changes on top of the day before. The same seed and day give the same
// shop. What one day changes, in this order:
//   - the last item of the day-1 shop still listed, if it is past the first four, is taken off;
//   - two new items appear at the end, ids 17000000000 + day × 100 + 1 and + 2, each with one
//     deal of that day;
//   - two items have their price cut by a tenth, to the fen below, and one is raised by 5.00;
//   - every third item from the second (index 1, 4, 7, ...) gets one or two deals on that day:
//     its sold count grows by the pieces bought and its stock drops by them (not below 0),
//     its views grow by 25 a piece, and every other of those gets a review of that day;
//   - the fifth item is restocked by 200.
// Deals and reviews of day N are dated N-1 days after the start of today, so they are newer
// than any run made today.
Shop DemoShopOnDay(std::uint32_t seed, int day);

// The changes of `day` applied to a shop as the day before left it.
void AdvanceDemoShop(Shop& shop, int day, std::uint32_t seed);

}  // namespace marketsim

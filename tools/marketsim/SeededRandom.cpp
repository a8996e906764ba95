#include "SeededRandom.h"

namespace marketsim {

// Multiply-and-shift keeps the arithmetic exact in 64 bits; its slight bias is of no concern
// for sample data.
std::size_t SeededRandom::Below(std::size_t bound) {
    if (bound == 0) {
        return 0;
    }
    return static_cast<std::size_t>((static_cast<std::uint64_t>(Next()) * bound) >> 32);
}

int SeededRandom::Between(int low, int high) {
    if (high <= low) {
        return low;
    }
    auto span = static_cast<std::size_t>(static_cast<std::int64_t>(high) - low + 1);
    return static_cast<int>(low + static_cast<std::int64_t>(Below(span)));
}

bool SeededRandom::Chance(int percent) {
    return percent > 0 && Below(100) < static_cast<std::size_t>(percent);
}

}  // namespace marketsim

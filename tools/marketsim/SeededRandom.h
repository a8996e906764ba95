#pragma once

#include <cstddef>
#include <cstdint>
#include <random>

namespace marketsim {

// Draws from std::mt19937, whose output sequence the standard fixes, with our own reduction to
// ranges: the standard distributions differ between library implementations, and the demo shop
// must be the same shop on every machine.
class SeededRandom {
public:
    explicit SeededRandom(std::uint32_t seed) : m_engine(seed) {}

    std::uint32_t Next() { return static_cast<std::uint32_t>(m_engine()); }
    std::size_t Below(std::size_t bound);  // 0 .. bound-1; 0 when bound is 0
    int Between(int low, int high);        // low .. high, both included
    bool Chance(int percent);              // true in about percent of the draws

    template <typename Container>
    const auto& Pick(const Container& choices) {
        return choices[Below(std::size(choices))];
    }

private:
    std::mt19937 m_engine;
};

}  // namespace marketsim

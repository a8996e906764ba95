#include "OptionChecks.h"

#include <charconv>
#include <string>

namespace tarnwick::cli {

namespace {

CLI::Validator NumberIn(double most, bool zeroAllowed, const char* what) {
    return CLI::Validator(
        [most, zeroAllowed, what](std::string& given) -> std::string {
            double value = 0;
            auto [end, error] = std::from_chars(given.data(), given.data() + given.size(), value);
            if (error != std::errc() || end != given.data() + given.size() ||
                !(zeroAllowed ? value >= 0 : value > 0) || value > most) {
                return std::string("a number of ") + what + (zeroAllowed ? " from 0" : " above 0") +
                       " and at most " + std::to_string(static_cast<int>(most)) + ", not " + given;
            }
            return "";
        },
        "", "number");
}

}  // namespace

CLI::Validator WholeNumberFrom(int least, int most) {
    return CLI::Validator(
        [least, most](std::string& given) -> std::string {
            int value = 0;
            auto [end, error] = std::from_chars(given.data(), given.data() + given.size(), value);
            if (error != std::errc() || end != given.data() + given.size() || value < least ||
                value > most) {
                return "a number from " + std::to_string(least) + " to " + std::to_string(most) +
                       ", not " + given;
            }
            return "";
        },
        "", "whole number");
}

CLI::Validator NumberAbove0UpTo(double most, const char* what) {
    return NumberIn(most, false, what);
}

CLI::Validator NumberFrom0UpTo(double most, const char* what) {
    return NumberIn(most, true, what);
}

}  // namespace tarnwick::cli

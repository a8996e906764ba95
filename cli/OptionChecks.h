#pragma once

#include <CLI/CLI.hpp>

namespace tarnwick::cli {

// "a number from 1 to 30, not 0": the option's name goes before it.
CLI::Validator WholeNumberFrom(int least, int most);
// A number above 0 and at most `most` ("a number of requests a second ...").
CLI::Validator NumberAbove0UpTo(double most, const char* what);
// A number from 0 to `most`.
CLI::Validator NumberFrom0UpTo(double most, const char* what);

}  // namespace tarnwick::cli

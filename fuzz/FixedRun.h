#pragma once

// The fixed run of a fuzz target built without libFuzzer: the same checks on
// a fixed series of generated inputs, so every test run repeats them briefly.

#include <cstddef>
#include <cstdint>
#include <random>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

namespace FixedRun {

using Generator = std::string (*)(std::mt19937 &random);

// Feeds runs inputs (the first argument, else defaultRuns) made by generate
// to the target, from the same seed every time, after the target's
// LLVMFuzzerInitialize when it has one.
int run(int argc, char **argv, const char *name, int defaultRuns, Generator generate);

// Up to maxLength bytes, most drawn from alphabet, one in eight any byte.
std::string soup(std::mt19937 &random, size_t maxLength, std::string_view alphabet);

} // namespace FixedRun

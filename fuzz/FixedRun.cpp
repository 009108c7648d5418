#include "FixedRun.h"

#include <cstdio>
#include <cstdlib>

// Defined by the targets that must set something up first, as libFuzzer
// calls it.
extern "C" __attribute__((weak)) int LLVMFuzzerInitialize(int *argc, char ***argv);

namespace FixedRun {

int run(int argc, char **argv, const char *name, int defaultRuns, Generator generate)
{
    const int runs = argc > 1 ? std::atoi(argv[1]) : defaultRuns;
    if (LLVMFuzzerInitialize)
        LLVMFuzzerInitialize(&argc, &argv);
    std::mt19937 random(20261207);
    for (int i = 0; i < runs; ++i) {
        const std::string input = generate(random);
        LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t *>(input.data()), input.size());
    }
    std::printf("%s: %d inputs, no fault\n", name, runs);
    return 0;
}

std::string soup(std::mt19937 &random, size_t maxLength, std::string_view alphabet)
{
    std::string bytes(random() % (maxLength + 1), '\0');
    for (char &byte : bytes)
        byte = random() % 8 == 0 ? char(random()) : alphabet[random() % alphabet.size()];
    return bytes;
}

} // namespace FixedRun

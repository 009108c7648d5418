// Feeds arbitrary bytes to the face file reader. Whatever it accepts must
// survive a write and a second read unchanged. Built with clang's libFuzzer
// when KAOGUMI_FUZZ is on; otherwise a small driver runs a fixed number of
// generated inputs so the same checks run with every test run.
#include "document/FaceFile.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const FaceFile::ReadResult first = FaceFile::read(bytes);
    if (!first.ok)
        return 0;
    const FaceFile::WriteResult written = FaceFile::write(first.PartFiles, first.PartCodes);
    if (!written.error.isEmpty())
        return 0; // a field held a quote or a line end, which cannot be written back
    const FaceFile::ReadResult second = FaceFile::read(written.bytes);
    if (!second.ok || second.PartFiles != first.PartFiles || second.PartCodes != first.PartCodes) {
        std::fprintf(stderr, "face file changed on its way through write and read:");
        for (size_t i = 0; i < size; ++i)
            std::fprintf(stderr, " %02x", data[i]);
        std::fprintf(stderr, "\n");
        std::abort();
    }
    return 0;
}

#ifndef KAOGUMI_LIBFUZZER
#include <random>
#include <string>

int main(int argc, char **argv)
{
    const int runs = argc > 1 ? std::atoi(argv[1]) : 20000;
    // Inputs built from the characters that matter to the reader, so most of
    // them reach ten fields, mixed with arbitrary bytes.
    const std::string alphabet = "\",\r\n \tab09\x81\x8a\xe7\xe9\xa1\x94\xef\xbb\xbf\\";
    std::mt19937 random(20261207);
    for (int i = 0; i < runs; ++i) {
        const size_t length = random() % 120;
        std::string input;
        for (size_t k = 0; k < length; ++k) {
            input +=
                (random() % 8 == 0) ? char(random() % 256) : alphabet[random() % alphabet.size()];
        }
        LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t *>(input.data()), input.size());
    }
    std::printf("fuzz_facefile: %d inputs, no fault\n", runs);
    return 0;
}
#endif

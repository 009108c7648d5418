// Compresses generated rows with the batch's own deflate and inflates them
// with zlib. The properties: the stream is one whole deflate stream that
// zlib takes without an error, ends where it says it ends, and gives back
// exactly the bytes compressed, whatever the rows hold and however long they
// are (runs longer than the window, rows longer than it, a last row cut
// short).
#include "output/FlatDeflate.h"

#include "FixedRun.h"

#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

[[noreturn]] void fail(const char *what, size_t size, qsizetype rowBytes)
{
    std::fprintf(stderr, "FlatDeflate: %s; %zu bytes, rows of %lld\n", what, size,
                 static_cast<long long>(rowBytes));
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 3)
        return 0;
    // The first two bytes give the row's length in pixels, the third how the
    // rest is stretched: as it is, or each byte repeated, which makes the
    // long runs a flat picture has.
    const int pixels = 1 + ((data[0] | (data[1] << 8)) % 12000);
    const qsizetype rowBytes = 1 + qsizetype(pixels) * 3;
    const int repeat = 1 + data[2] % 64;
    std::vector<unsigned char> rows;
    for (size_t i = 3; i < size; ++i)
        rows.insert(rows.end(), size_t(repeat), data[i]);

    QByteArray packed;
    FlatDeflate::compress(rows.data(), qsizetype(rows.size()), rowBytes, 3, packed);

    z_stream stream{};
    if (inflateInit2(&stream, -15) != Z_OK)
        fail("zlib cannot start", rows.size(), rowBytes);
    std::vector<unsigned char> back(rows.size() + 1);
    stream.next_in = reinterpret_cast<Bytef *>(packed.data());
    stream.avail_in = uInt(packed.size());
    stream.next_out = back.data();
    stream.avail_out = uInt(back.size());
    const int status = inflate(&stream, Z_FINISH);
    const size_t produced = stream.total_out;
    const uInt leftIn = stream.avail_in;
    inflateEnd(&stream);
    if (status != Z_STREAM_END)
        fail("the stream is not a whole deflate stream", rows.size(), rowBytes);
    if (leftIn != 0)
        fail("bytes follow the end of the stream", rows.size(), rowBytes);
    if (produced != rows.size() || (produced && std::memcmp(back.data(), rows.data(), produced)))
        fail("the bytes do not come back", rows.size(), rowBytes);
    return 0;
}

#ifndef KAOGUMI_LIBFUZZER
namespace {

// Rows of a few values, the way a face's rows are, now and then noise.
std::string rowBytes(std::mt19937 &random)
{
    std::string bytes(3 + random() % 4000, '\0');
    const unsigned values = random() % 4 ? 1 + random() % 4 : 256;
    for (char &byte : bytes)
        byte = char(random() % values);
    bytes[2] = char(random() % 3 ? random() % 64 : 0);
    return bytes;
}

} // namespace

int main(int argc, char **argv)
{
    return FixedRun::run(argc, argv, "fuzz_flatdeflate", 3000, rowBytes);
}
#endif

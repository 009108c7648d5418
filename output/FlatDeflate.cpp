#include "FlatDeflate.h"

#include <QtEndian>

#include <cstring>

namespace FlatDeflate {

namespace {

// Bits written least significant first, as deflate packs them, into room
// made beforehand.
class BitWriter
{
public:
    explicit BitWriter(char *at) : m_at(at) {}
    void put(quint32 value, int length)
    {
        m_bits |= quint64(value) << m_count;
        m_count += length;
        if (m_count >= 32) {
            const quint32 word = qToLittleEndian(quint32(m_bits));
            std::memcpy(m_at, &word, 4);
            m_at += 4;
            m_bits >>= 32;
            m_count -= 32;
        }
    }
    // Where the stream ends, its last bits written.
    char *finish()
    {
        for (; m_count > 0; m_count -= 8, m_bits >>= 8)
            *m_at++ = char(m_bits & 0xff);
        return m_at;
    }

private:
    char *m_at;
    quint64 m_bits = 0;
    int m_count = 0;
};

quint32 reversed(quint32 code, int length)
{
    quint32 result = 0;
    for (int i = 0; i < length; ++i, code >>= 1)
        result = (result << 1) | (code & 1);
    return result;
}

// Deflate's fixed codes, bit-reversed for the writer, and the length and
// distance codes' bases and extra bits.
struct Codes
{
    quint16 literal[288];
    quint8 literalBits[288];
    quint16 lengthSymbol[259];
    quint16 distanceCode[30];

    static constexpr int lengthBase[29] = {3,  4,  5,  6,   7,   8,   9,   10,  11, 13,
                                           15, 17, 19, 23,  27,  31,  35,  43,  51, 59,
                                           67, 83, 99, 115, 131, 163, 195, 227, 258};
    static constexpr int lengthExtra[29] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                            2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
    static constexpr int distanceBase[30] = {
        1,   2,   3,   4,   5,   7,    9,    13,   17,   25,   33,   49,   65,    97,    129,
        193, 257, 385, 513, 769, 1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};

    Codes()
    {
        for (int symbol = 0; symbol < 288; ++symbol) {
            int bits = 8;
            quint32 code = 0x30 + quint32(symbol);
            if (symbol >= 144 && symbol < 256) {
                bits = 9;
                code = 0x190 + quint32(symbol - 144);
            } else if (symbol >= 256 && symbol < 280) {
                bits = 7;
                code = quint32(symbol - 256);
            } else if (symbol >= 280) {
                code = 0xc0 + quint32(symbol - 280);
            }
            literal[symbol] = quint16(reversed(code, bits));
            literalBits[symbol] = quint8(bits);
        }
        for (int length = 3, c = 0; length <= 258; ++length) {
            while (c < 28 && lengthBase[c + 1] <= length)
                ++c;
            lengthSymbol[length] = quint16(c);
        }
        for (int c = 0; c < 30; ++c)
            distanceCode[c] = quint16(reversed(quint32(c), 5));
    }
};

const Codes &codes()
{
    static const Codes made;
    return made;
}

// How many bytes from a and b on are equal, up to most; 0 when fewer than
// three are, which is no match.
inline qsizetype sameBytes(const unsigned char *a, const unsigned char *b, qsizetype most)
{
    if (most < 3 || a[0] != b[0] || a[1] != b[1] || a[2] != b[2])
        return 0;
    qsizetype i = 3;
    for (; i + 8 <= most; i += 8) {
        quint64 x, y;
        std::memcpy(&x, a + i, 8);
        std::memcpy(&y, b + i, 8);
        if (x != y)
            return i + (__builtin_ctzll(qToLittleEndian(x) ^ qToLittleEndian(y)) >> 3);
    }
    while (i < most && a[i] == b[i])
        ++i;
    return i;
}

void putMatch(BitWriter &bits, const Codes &c, int length, qsizetype distance)
{
    const int lengthCode = c.lengthSymbol[length];
    const int symbol = 257 + lengthCode;
    bits.put(c.literal[symbol], c.literalBits[symbol]);
    if (Codes::lengthExtra[lengthCode])
        bits.put(quint32(length - Codes::lengthBase[lengthCode]), Codes::lengthExtra[lengthCode]);
    int d = 29;
    while (Codes::distanceBase[d] > distance)
        --d;
    bits.put(c.distanceCode[d], 5);
    if (d >= 4)
        bits.put(quint32(distance - Codes::distanceBase[d]), d / 2 - 1);
}

} // namespace

void compress(const unsigned char *data, qsizetype size, qsizetype rowBytes, int pixelBytes,
              QByteArray &out)
{
    const Codes &c = codes();
    // Room for the longest stream: every byte a literal of 9 bits.
    const qsizetype start = out.size();
    out.resize(start + size / 8 * 9 + 16);
    BitWriter bits(out.data() + start);
    bits.put(1, 1); // the last block
    bits.put(1, 2); // of fixed codes
    const qsizetype above = rowBytes <= 32768 ? rowBytes : 0;
    for (qsizetype i = 0; i < size;) {
        const qsizetype most = size - i;
        qsizetype length = 0;
        qsizetype distance = 0;
        if (i >= pixelBytes) {
            length = sameBytes(data + i, data + i - pixelBytes, most);
            distance = pixelBytes;
        }
        if (above && i >= above && length < most) {
            const qsizetype fromAbove = sameBytes(data + i, data + i - above, most);
            if (fromAbove > length) {
                length = fromAbove;
                distance = above;
            }
        }
        if (length < 3) {
            bits.put(c.literal[data[i]], c.literalBits[data[i]]);
            ++i;
            continue;
        }
        i += length;
        // In pieces of at most 258, none shorter than 3.
        while (length > 0) {
            const qsizetype piece = length <= 258 ? length : length - 258 < 3 ? length - 3 : 258;
            putMatch(bits, c, int(piece), distance);
            length -= piece;
        }
    }
    bits.put(c.literal[256], c.literalBits[256]);
    out.resize(bits.finish() - out.constData());
}

} // namespace FlatDeflate

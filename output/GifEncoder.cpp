#include "output/PictureEncoders.h"

#include "EncoderSupport.h"

#include <QIODevice>
#include <QImage>

#include <gif_lib.h>

#include <algorithm>
#include <climits>
#include <memory>
#include <new>
#include <vector>

using namespace Qt::StringLiterals;

namespace PictureEncoders {

namespace {

// How many pixels have each colour: a small open hash table, since a face
// has a few hundred to a few thousand colours and most pixels repeat the one
// before them.
class ColourCounts
{
public:
    ColourCounts() : m_keys(1024, 0), m_values(1024, 0) {}

    // The value kept for rgb, created as 0 when rgb is new.
    quint32 &operator[](quint32 rgb)
    {
        const quint32 key = rgb | 0xff000000u; // never 0, the empty slot
        size_t slot = find(key);
        if (m_keys[slot] == 0) {
            if ((m_size + 1) * 2 > m_keys.size()) {
                grow();
                slot = find(key);
            }
            m_keys[slot] = key;
            ++m_size;
        }
        return m_values[slot];
    }

    size_t size() const { return m_size; }

    // Calls f(rgb, value) for every colour, in no particular order.
    template <typename F> void forEach(F f)
    {
        for (size_t i = 0; i < m_keys.size(); ++i) {
            if (m_keys[i] != 0)
                f(m_keys[i], m_values[i]);
        }
    }

private:
    size_t find(quint32 key) const
    {
        const size_t mask = m_keys.size() - 1;
        size_t slot = (key * 0x9e3779b1u) & mask;
        while (m_keys[slot] != 0 && m_keys[slot] != key)
            slot = (slot + 1) & mask;
        return slot;
    }

    void grow()
    {
        std::vector<quint32> keys(m_keys.size() * 2, 0), values(m_keys.size() * 2, 0);
        keys.swap(m_keys);
        values.swap(m_values);
        for (size_t i = 0; i < keys.size(); ++i) {
            if (keys[i] != 0) {
                const size_t slot = find(keys[i]);
                m_keys[slot] = keys[i];
                m_values[slot] = values[i];
            }
        }
    }

    std::vector<quint32> m_keys;
    std::vector<quint32> m_values;
    size_t m_size = 0;
};

ColourCounts countColours(const quint32 *pixels, qsizetype count)
{
    ColourCounts counts;
    quint32 last = 0;
    quint32 *lastCount = nullptr;
    for (qsizetype i = 0; i < count; ++i) {
        const quint32 rgb = pixels[i] | 0xff000000u;
        if (rgb != last || !lastCount) {
            last = rgb;
            lastCount = &counts[rgb];
        }
        ++*lastCount;
    }
    return counts;
}

// Median cut, weighted by the pixels: the colours are split into boxes, the
// box whose colours lie furthest from their mean (in squared error, counted
// per pixel) is split next, along the channel where it spreads most, at the
// place that leaves the two halves the least error. Each box gives its mean
// colour. The many pixels of a flat colour make its error large, so it soon
// has a box of its own and comes out exactly. (Qt's own conversion to 256
// colours uses a fixed colour cube: on the bundled faces it was off by 9 to
// 11 of 255 in each channel on average and dithered the skin; this palette
// was off by less than 0.1.)
struct Weighted
{
    quint32 rgb;
    quint32 count;
};

int channel(quint32 rgb, int c)
{
    return int((rgb >> (16 - 8 * c)) & 0xff);
}

struct Box
{
    size_t begin = 0, end = 0;
    double error = 0; // squared distance to the mean, summed over its pixels
    int widest = 0;   // the channel along which it spreads most
};

Box measure(const std::vector<Weighted> &colours, size_t begin, size_t end)
{
    double w = 0, s[3] = {0, 0, 0}, q[3] = {0, 0, 0};
    for (size_t i = begin; i < end; ++i) {
        const double n = colours[i].count;
        w += n;
        for (int c = 0; c < 3; ++c) {
            const double v = channel(colours[i].rgb, c);
            s[c] += n * v;
            q[c] += n * v * v;
        }
    }
    Box box{begin, end, 0, 0};
    if (end - begin < 2)
        return box; // one colour: nothing to split, whatever rounding says
    double widest = -1;
    for (int c = 0; c < 3; ++c) {
        const double spread = q[c] - s[c] * s[c] / w;
        box.error += spread;
        if (spread > widest) {
            widest = spread;
            box.widest = c;
        }
    }
    return box;
}

// Sorts the box along its widest channel and returns where to split it.
size_t splitPoint(std::vector<Weighted> &colours, const Box &box)
{
    const auto first = colours.begin() + qsizetype(box.begin);
    const auto last = colours.begin() + qsizetype(box.end);
    std::sort(first, last, [c = box.widest](const Weighted &a, const Weighted &b) {
        return channel(a.rgb, c) < channel(b.rgb, c);
    });
    // Running sums from the left; the right half's are the totals less them.
    double total[4] = {0, 0, 0, 0}, square = 0;
    for (size_t i = box.begin; i < box.end; ++i) {
        const double n = colours[i].count;
        total[3] += n;
        for (int c = 0; c < 3; ++c) {
            const double v = channel(colours[i].rgb, c);
            total[c] += n * v;
            square += n * v * v;
        }
    }
    double left[4] = {0, 0, 0, 0};
    double best = -1;
    size_t bestSplit = box.begin + 1;
    for (size_t i = box.begin; i + 1 < box.end; ++i) {
        const double n = colours[i].count;
        left[3] += n;
        for (int c = 0; c < 3; ++c) {
            const double v = channel(colours[i].rgb, c);
            left[c] += n * v;
        }
        double leftMean2 = 0, rightMean2 = 0;
        for (int c = 0; c < 3; ++c) {
            leftMean2 += left[c] * left[c];
            rightMean2 += (total[c] - left[c]) * (total[c] - left[c]);
        }
        // Error of both halves: sum of squares less each half's mean term.
        const double error = square - leftMean2 / left[3] - rightMean2 / (total[3] - left[3]);
        if (best < 0 || error < best) {
            best = error;
            bestSplit = i + 1;
        }
    }
    return bestSplit;
}

QList<QRgb> medianCut(std::vector<Weighted> colours, int paletteSize)
{
    std::vector<Box> boxes{measure(colours, 0, colours.size())};
    while (int(boxes.size()) < paletteSize) {
        const auto worst =
            std::max_element(boxes.begin(), boxes.end(),
                             [](const Box &a, const Box &b) { return a.error < b.error; });
        if (worst->error <= 0)
            break;
        const Box box = *worst;
        const size_t split = splitPoint(colours, box);
        *worst = measure(colours, box.begin, split);
        boxes.push_back(measure(colours, split, box.end));
    }

    QList<QRgb> palette;
    palette.reserve(qsizetype(boxes.size()));
    for (const Box &box : boxes) {
        double w = 0, s[3] = {0, 0, 0};
        for (size_t i = box.begin; i < box.end; ++i) {
            w += colours[i].count;
            for (int c = 0; c < 3; ++c)
                s[c] += double(colours[i].count) * channel(colours[i].rgb, c);
        }
        palette.append(qRgb(qRound(s[0] / w), qRound(s[1] / w), qRound(s[2] / w)));
    }
    return palette;
}

// Finds the palette's colour nearest to a colour (by squared distance in
// RGB; the first of equals). The colours are kept in green order, and the
// search walks out from the colour's green both ways, stopping on a side
// once green alone lies further than the best colour found.
class NearestColour
{
public:
    explicit NearestColour(const QList<QRgb> &palette)
    {
        for (qsizetype i = 0; i < palette.size(); ++i)
            m_entries.push_back({qRed(palette[i]), qGreen(palette[i]), qBlue(palette[i]), int(i)});
        std::stable_sort(m_entries.begin(), m_entries.end(),
                         [](const Entry &a, const Entry &b) { return a.g < b.g; });
    }

    quint32 operator()(quint32 rgb) const
    {
        const int r = qRed(rgb), g = qGreen(rgb), b = qBlue(rgb);
        const auto start = std::lower_bound(m_entries.begin(), m_entries.end(), g,
                                            [](const Entry &e, int green) { return e.g < green; });
        int best = INT_MAX, index = 0;
        const auto consider = [&](const Entry &e) {
            const int dr = e.r - r, dg = e.g - g, db = e.b - b;
            const int distance = dr * dr + dg * dg + db * db;
            if (distance < best || (distance == best && e.index < index)) {
                best = distance;
                index = e.index;
            }
        };
        for (auto up = start; up != m_entries.end() && (up->g - g) * (up->g - g) <= best; ++up)
            consider(*up);
        for (auto down = start; down != m_entries.begin();) {
            --down;
            if ((g - down->g) * (g - down->g) > best)
                break;
            consider(*down);
        }
        return quint32(index);
    }

private:
    struct Entry
    {
        int r, g, b, index;
    };
    std::vector<Entry> m_entries;
};

// The picture as palette indices, one byte a pixel, rows top to bottom.
struct Indexed
{
    QList<QRgb> palette;
    std::vector<GifPixelType> indices; // width × height
};

Indexed toIndexed(const quint32 *pixels, int width, int height)
{
    const qsizetype count = qsizetype(width) * height;
    ColourCounts counts = countColours(pixels, count);
    Indexed result;
    if (counts.size() <= 256) {
        // Few enough colours to keep them all: each takes its own index.
        counts.forEach([&](quint32 rgb, quint32 &value) {
            value = quint32(result.palette.size());
            result.palette.append(rgb);
        });
    } else {
        std::vector<Weighted> colours;
        colours.reserve(counts.size());
        counts.forEach([&](quint32 rgb, quint32 &n) { colours.push_back({rgb, n}); });
        result.palette = medianCut(std::move(colours), 256);
        // Each colour takes the nearest of the palette.
        const NearestColour nearest(result.palette);
        counts.forEach([&](quint32 rgb, quint32 &value) { value = nearest(rgb); });
    }
    result.indices.resize(size_t(count));
    quint32 last = 0;
    GifPixelType index = 0;
    for (qsizetype i = 0; i < count; ++i) {
        const quint32 rgb = pixels[i] | 0xff000000u;
        if (i == 0 || rgb != last) {
            last = rgb;
            index = GifPixelType(counts[rgb]);
        }
        result.indices[size_t(i)] = index;
    }
    return result;
}

// giflib writes through this into the QByteArray the file is built in.
struct Output
{
    QByteArray bytes;
    bool outOfMemory = false;
};

int writeToBytes(GifFileType *gif, const GifByteType *data, int length)
{
    auto *output = static_cast<Output *>(gif->UserData);
    try {
        output->bytes.append(reinterpret_cast<const char *>(data), length);
    } catch (const std::bad_alloc &) {
        output->outOfMemory = true;
        return 0;
    }
    return length;
}

struct CloseGif
{
    void operator()(GifFileType *gif) const { EGifCloseFile(gif, nullptr); }
};

struct FreeMap
{
    void operator()(ColorMapObject *map) const { GifFreeMapObject(map); }
};

AtomicFile::Result gifFailure(int error, const Output &output)
{
    if (output.outOfMemory || error == E_GIF_ERR_NOT_ENOUGH_MEM)
        return Support::outOfMemory();
    const char *words = GifErrorString(error);
    return Support::failure(u"GIF を作れませんでした（%1）。"_s.arg(
        words ? QString::fromUtf8(words) : QString::number(error)));
}

int readFromDevice(GifFileType *gif, GifByteType *data, int length)
{
    return int(
        static_cast<QIODevice *>(gif->UserData)->read(reinterpret_cast<char *>(data), length));
}

struct CloseReadGif
{
    void operator()(GifFileType *gif) const { DGifCloseFile(gif, nullptr); }
};

} // namespace

Encoded encodeGIF(const quint32 *pixels, int width, int height, const Memo &memo)
{
    if (const auto refused = Support::checkPicture(pixels, width, height, 65535); !refused.ok())
        return {refused, {}};
    if (const auto refused = Support::checkMemo(memo); !refused.ok())
        return {refused, {}};

    Output output;
    try {
        Indexed picture = toIndexed(pixels, width, height);

        // The colour table's size is a power of two, 2 at least (GifBitSize
        // gives 1 bit for one colour); the entries past the palette are black.
        const int bits = GifBitSize(int(picture.palette.size()));
        const std::unique_ptr<ColorMapObject, FreeMap> map(GifMakeMapObject(1 << bits, nullptr));
        if (!map)
            return {Support::outOfMemory(), {}};
        for (int i = 0; i < map->ColorCount; ++i) {
            const QRgb rgb = i < picture.palette.size() ? picture.palette[i] : 0;
            map->Colors[i] = {GifByteType(qRed(rgb)), GifByteType(qGreen(rgb)),
                              GifByteType(qBlue(rgb))};
        }

        int error = 0;
        std::unique_ptr<GifFileType, CloseGif> gif(EGifOpen(&output, writeToBytes, &error));
        if (!gif)
            return {gifFailure(error, output), {}};
        // Comments need GIF89a.
        EGifSetGifVersion(gif.get(), true);
        if (EGifPutScreenDesc(gif.get(), width, height, 8, 0, map.get()) == GIF_ERROR)
            return {gifFailure(gif->Error, output), {}};
        // The memo comes before the picture, where a reader that stops at
        // the first picture still finds it.
        for (const Support::Text &text : Support::memoTexts(memo)) {
            const QByteArray comment = text.key + ": " + text.value;
            if (EGifPutComment(gif.get(), comment.constData()) == GIF_ERROR)
                return {gifFailure(gif->Error, output), {}};
        }
        if (EGifPutImageDesc(gif.get(), 0, 0, width, height, false, nullptr) == GIF_ERROR)
            return {gifFailure(gif->Error, output), {}};
        for (int y = 0; y < height; ++y) {
            // giflib masks the line in place: these are rows of our own.
            GifPixelType *line = picture.indices.data() + qsizetype(y) * width;
            if (EGifPutLine(gif.get(), line, width) == GIF_ERROR)
                return {gifFailure(gif->Error, output), {}};
        }
        // Closing writes the trailer.
        if (EGifCloseFile(gif.release(), &error) == GIF_ERROR)
            return {gifFailure(error, output), {}};
    } catch (const std::bad_alloc &) {
        return {Support::outOfMemory(), {}};
    }
    return {{}, output.bytes};
}

AtomicFile::Result SaveGIF(const quint32 *pixels, int width, int height, const QString &path,
                           const Memo &memo)
{
    return Support::write(encodeGIF(pixels, width, height, memo), path);
}

namespace Support {

namespace {
// The longest comment a memo can be: its key and a face file in base64.
constexpr qsizetype kMaxMemoComment = 64 + MaxMemoText;
} // namespace

std::optional<Memo> readGifMemo(QIODevice &device)
{
    int error = 0;
    const std::unique_ptr<GifFileType, CloseReadGif> gif(DGifOpen(&device, readFromDevice, &error));
    if (!gif)
        return std::nullopt;
    std::optional<QByteArray> faceFile, faceCode;
    const QByteArray faceKey = QByteArray(MemoKey) + ": ";
    const QByteArray codeKey = QByteArray(MemoCodeKey) + ": ";
    GifRecordType record = UNDEFINED_RECORD_TYPE;
    do {
        if (DGifGetRecordType(gif.get(), &record) == GIF_ERROR)
            return std::nullopt;
        if (record == IMAGE_DESC_RECORD_TYPE) {
            // The picture's data is skipped block by block, never decoded.
            int codeSize = 0;
            GifByteType *block = nullptr;
            if (DGifGetImageDesc(gif.get()) == GIF_ERROR ||
                DGifGetCode(gif.get(), &codeSize, &block) == GIF_ERROR)
                return std::nullopt;
            while (block) {
                if (DGifGetCodeNext(gif.get(), &block) == GIF_ERROR)
                    return std::nullopt;
            }
        } else if (record == EXTENSION_RECORD_TYPE) {
            int code = 0;
            GifByteType *block = nullptr;
            if (DGifGetExtension(gif.get(), &code, &block) == GIF_ERROR)
                return std::nullopt;
            QByteArray text;
            bool tooLong = false;
            while (block) {
                // A sub-block: its length, then that many bytes. A comment
                // longer than any face file's record is not one: its blocks
                // are skipped, not gathered, so a hostile picture cannot take
                // the memory.
                if (text.size() + block[0] > kMaxMemoComment)
                    tooLong = true;
                if (!tooLong)
                    text.append(reinterpret_cast<const char *>(block + 1), block[0]);
                if (DGifGetExtensionNext(gif.get(), &block) == GIF_ERROR)
                    return std::nullopt;
            }
            if (code != COMMENT_EXT_FUNC_CODE || tooLong)
                continue;
            if (text.startsWith(faceKey) && !faceFile)
                faceFile = text.mid(faceKey.size());
            else if (text.startsWith(codeKey) && !faceCode)
                faceCode = text.mid(codeKey.size());
        }
    } while (record != TERMINATE_RECORD_TYPE);
    return memoFromTexts(faceFile, faceCode);
}

} // namespace Support

} // namespace PictureEncoders

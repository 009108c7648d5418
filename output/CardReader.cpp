#include "output/CardReader.h"

#include "document/FaceCode.h"

#include <QDeadlineTimer>
#include <QImage>

#include <ZXing/ReadBarcode.h>

#include <cerrno>
#include <csignal>
#include <exception>
#include <string>

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace CardReader {

namespace {

// The texts of the Code 128 barcodes in a grey picture, one a line, as the
// reader finds them.
std::string readBarcodes(const QImage &grey)
{
    const ZXing::ImageView view(grey.constBits(), grey.width(), grey.height(),
                                ZXing::ImageFormat::Lum, int(grey.bytesPerLine()));
    // The reader's own further passes over smaller copies of a picture whose
    // shorter side exceeds 500 pixels compare what the passes found through
    // an assertion that Debian's build keeps and that a plain barcode trips
    // once both its sides exceed about 550 pixels (zxing-cpp 1.4): those
    // passes are left out, faceCode() makes a large picture smaller itself.
    const auto hints =
        ZXing::DecodeHints().setFormats(ZXing::BarcodeFormat::Code128).setTryDownscale(false);
    std::string texts;
    try {
        for (const ZXing::Result &result : ZXing::ReadBarcodes(view, hints)) {
            if (result.isValid())
                texts += result.text() + '\n';
        }
    } catch (const std::exception &) {
        // A reader that gives up on a picture has found no card in it.
    }
    return texts;
}

// What readBarcodes() gives, found in a process of its own, so that the
// reader failing in any way (an assertion ends its process) cannot end the
// program; nothing when it fails or does not finish in time.
std::string readInChild(const QImage &grey)
{
    int pipeEnds[2];
    if (::pipe2(pipeEnds, O_CLOEXEC) != 0)
        return {};
    const pid_t child = ::fork();
    if (child < 0) {
        ::close(pipeEnds[0]);
        ::close(pipeEnds[1]);
        return {};
    }
    if (child == 0) {
        // The child touches nothing of the program's but the picture, and
        // ends without running the program's exit handlers; a request to
        // end simply ends it, without the program's handling of one.
        ::signal(SIGTERM, SIG_DFL);
        ::signal(SIGHUP, SIG_DFL);
        ::close(pipeEnds[0]);
        const std::string texts = readBarcodes(grey);
        for (size_t done = 0; done < texts.size();) {
            const ssize_t written = ::write(pipeEnds[1], texts.data() + done, texts.size() - done);
            if (written <= 0)
                ::_exit(1);
            done += size_t(written);
        }
        ::_exit(0);
    }
    ::close(pipeEnds[1]);
    std::string texts;
    const QDeadlineTimer deadline(TimeLimitMs);
    bool ended = false;
    while (!deadline.hasExpired() && texts.size() < 65536) {
        pollfd waiting{pipeEnds[0], POLLIN, 0};
        const int ready = ::poll(&waiting, 1, int(qMax<qint64>(1, deadline.remainingTime())));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0)
            break;
        char buffer[4096];
        const ssize_t got = ::read(pipeEnds[0], buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0) {
            ended = got == 0;
            break;
        }
        texts.append(buffer, size_t(got));
    }
    ::close(pipeEnds[0]);
    if (!ended)
        ::kill(child, SIGKILL);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (!ended || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return {};
    return texts;
}

} // namespace

std::optional<QString> faceCode(const QImage &picture)
{
    if (picture.isNull())
        return std::nullopt;
    // The bars are black on white: grey levels are all the reader needs.
    QImage grey = picture;
    if (qMax(grey.width(), grey.height()) > LargestSide)
        grey = grey.scaled(LargestSide, LargestSide, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    grey.convertTo(QImage::Format_Grayscale8);
    const QStringList texts =
        QString::fromStdString(readInChild(grey)).split(u'\n', Qt::SkipEmptyParts);
    for (const QString &text : texts) {
        if (FaceCode::isCardCode(text))
            return text;
    }
    return std::nullopt;
}

} // namespace CardReader

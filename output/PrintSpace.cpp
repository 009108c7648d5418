#include "output/PrintSpace.h"

#include "platform/MsgBox.h"

#include <QBuffer>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QPointer>
#include <QPrinter>

using namespace Qt::StringLiterals;

namespace {

QPointer<PrintSpace> &theForm()
{
    static QPointer<PrintSpace> form;
    return form;
}

} // namespace

PrintSpace::PrintSpace(QWidget *owner)
    : QWidget(owner ? owner->window() : nullptr, Qt::Window | Qt::FramelessWindowHint)
{
    setObjectName(u"PrintSpace"_s);
    setWindowTitle(u"Printer"_s);
    // 15 twips to a pixel.
    setFixedSize(CardPainter::WidthTwips / 15, CardPainter::HeightTwips / 15);
    setAutoFillBackground(true);
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);
}

PrintSpace *PrintSpace::load(QWidget *owner)
{
    QPointer<PrintSpace> &form = theForm();
    if (!form)
        form = new PrintSpace(owner);
    // Unseen, the form still has a place, and a dialog it owns opens centred
    // on it: over the middle of the owner's window, not in a corner of the
    // screen.
    if (owner)
        form->move(owner->window()->frameGeometry().center() - form->rect().center());
    return form;
}

PrintSpace *PrintSpace::loaded()
{
    return theForm();
}

void PrintSpace::setCard(CardPainter::Card card)
{
    m_card = std::move(card);
    update();
}

QByteArray PrintSpace::pagePdf(const QPrinter &printer, const QString &title) const
{
    QByteArray pdf;
    QBuffer buffer(&pdf);
    if (!buffer.open(QIODevice::WriteOnly))
        return {};
    QPdfWriter writer(&buffer);
    writer.setTitle(title);
    writer.setCreator(MsgBox::applicationTitle());
    const int resolution = printer.resolution();
    writer.setResolution(resolution);
    // The whole sheet is the page; the painter starts at the paper's corner
    // and moves to the printable area's corner, whole dots away from it.
    const QPageLayout layout = printer.pageLayout();
    writer.setPageLayout(QPageLayout(layout.pageSize(), layout.orientation(), QMarginsF(),
                                     QPageLayout::Point, QMarginsF()));
    writer.setPageMargins(QMarginsF(), QPageLayout::Point);
    QPageLayout printable = layout;
    printable.setMode(QPageLayout::StandardMode);
    printable.setMargins(layout.minimumMargins());

    QPainter painter;
    if (!painter.begin(&writer))
        return {};
    painter.translate(printable.paintRectPixels(resolution).topLeft());
    CardPainter::paint(painter, m_card);
    if (!painter.end())
        return {};
    return pdf;
}

void PrintSpace::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    CardPainter::paint(painter, m_card);
}

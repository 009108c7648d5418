#include "output/PrintSpace.h"

#include <QPageLayout>
#include <QPainter>
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

bool PrintSpace::sendToPrinter(QPrinter &printer) const
{
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    // The printable area is the paper less the printer's own margins. The
    // painter starts at the corner of the layout's paint area (inside the
    // layout's margins, or the paper's corner when the printer is set to the
    // full page); move to the printable area's corner either way.
    const int resolution = printer.resolution();
    const QPageLayout layout = printer.pageLayout();
    QPageLayout printable = layout;
    printable.setMode(QPageLayout::StandardMode);
    printable.setMargins(layout.minimumMargins());
    painter.translate(printable.paintRectPixels(resolution).topLeft() -
                      layout.paintRectPixels(resolution).topLeft());
    CardPainter::paint(painter, m_card);
    return painter.end();
}

void PrintSpace::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    CardPainter::paint(painter, m_card);
}

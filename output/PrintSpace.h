#pragma once

#include "output/CardPainter.h"

#include <QWidget>

class QPrinter;

// The page form of the print command: a window that is never shown, 3225 ×
// 2100 twips (215 × 140 pixels) of white, on which the card is composed
// before it goes to the printer. There is one for the program, loaded by the
// first print and kept as long as the window it was loaded for.
class PrintSpace : public QWidget
{
    Q_OBJECT

public:
    // The page form, loaded now if it is not loaded yet; owner's window keeps
    // it (a null owner leaves it to the program). It stands, unseen, over the
    // middle of owner's window.
    static PrintSpace *load(QWidget *owner);
    // The page form if it is loaded, otherwise nullptr.
    static PrintSpace *loaded();

    // What the page shows. A new card replaces the whole page: nothing of an
    // earlier card is left on it.
    const CardPainter::Card &card() const { return m_card; }
    void setCard(CardPainter::Card card);

    // The page as printer prints it, one PDF page of its paper in its
    // orientation, at its resolution: the card at its physical size, its
    // top-left corner at the top-left corner of the printable area (the
    // paper less the printer's own margins), drawn as shapes and text but
    // for the face. title names the document. Empty when it cannot be made.
    QByteArray pagePdf(const QPrinter &printer, const QString &title) const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    explicit PrintSpace(QWidget *owner);

    CardPainter::Card m_card;
};

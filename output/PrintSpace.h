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

    // Sends the page to printer as one page: the card at its physical size,
    // its top-left corner at the top-left corner of the printable area. False
    // when the printer would not start the job.
    bool sendToPrinter(QPrinter &printer) const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    explicit PrintSpace(QWidget *owner);

    CardPainter::Card m_card;
};

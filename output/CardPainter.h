#pragma once

#include "document/Composite.h"

#include <QList>
#include <QString>

class QPainter;

// The printed card: the page area of the print command, 3225 × 2100 twips
// (56.9 × 37.0 mm), carrying the face code line, the composite face and a
// Code 128 barcode of the face code with the code under it.
//
// Layout, in millimetres from the card's top-left corner:
//   cut marks      2.0 long and 0.2 wide, inside each of the four corners
//   code line      top 4.76 (270 twips), left 2.0, clear of the left cut
//                  line, IPAPGothic 9 pt, across the card to 2.0 from its
//                  right edge (cut short with "…" when longer)
//   barcode column 0 to 32.4: the bars from 9.4 to 27.8, centred with their
//                  quiet zones of ten modules on each side; the code under
//                  them, IPAPGothic 8 pt, from 28.4
//   composite      its right edge at 56.6, its top at 9.4, 23.6 wide and
//                  25.1 high (the face's own proportions), one opaque picture
// Everything but the face is drawn as shapes and text, never as a picture,
// so a printer or a PDF keeps the bars' edges sharp at any resolution. A
// module is the whole number of the device's dots nearest to 0.254 mm
// (1/100 inch: 12 dots at 1200 dpi, 6 at 600, 3 at 300, 2 at 200), and never
// below 0.19 mm: so the module edges fall on whole dots, and a scan of the
// card at 150 dpi still has 1.5 pixels a module. On a device whose dots are
// too coarse for that in the column (150 dpi and below 96 dpi) the column
// widens and the face narrows; when even that leaves no room, the card says
// so instead.
namespace CardPainter {

constexpr int WidthTwips = 3225;
constexpr int HeightTwips = 2100;
constexpr int CodeLineTopTwips = 270;

// Twips, the page form's unit, in millimetres.
constexpr double twipsToMm(double twips)
{
    return twips * 25.4 / 1440.0;
}

// The narrowest bar a hand scanner reads reliably.
constexpr double MinimumModuleMm = 0.19;
// The width of a module where the device's dots allow it: 1/100 inch.
constexpr double ModuleMm = 0.254;
// The quiet zone Code 128 asks for on each side, in modules.
constexpr int QuietZoneModules = 10;

struct Card
{
    QString faceCode;
    Composite::Layers layers;
};

// The bars of the barcode for code, one entry a module (true for a dark
// one), without quiet zones; empty when the card carries no barcode for it.
// Only a code the face code entry takes back into the same face gets one:
// nine digits, "4" and a two-digit code for each of the four parts. Any
// other code would make a scanner build a different face.
QList<bool> barcodeModules(const QString &code);

// Paints the card with its top-left corner at the painter's origin, at its
// physical size on the painter's device: the painter's coordinates are taken
// to be the device's dots, and the device's resolution gives their size.
// White first, so whatever the device showed before is covered. The one
// painting function of the card: printing, the page form, the tests and the
// pictures made of a card all use it.
void paint(QPainter &painter, const Card &card);

} // namespace CardPainter

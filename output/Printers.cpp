#include "output/Printers.h"

#include <QHash>
#include <QPrinter>
#include <QPrinterInfo>
#include <QString>

namespace Printers {

namespace {

struct Model
{
    QPrinter *current = nullptr;
    QHash<QString, QPrinter *> byQueue; // every installed printer ever seen
};

// Never destroyed: the objects are handed out as plain pointers that callers
// keep to the end, and a printer must not be torn down after the application
// object (and the print support under it) is gone.
Model &model()
{
    static Model *const m = new Model;
    return *m;
}

QPrinter *newPrinter(const QPrinterInfo &info)
{
    return new QPrinter(info, QPrinter::HighResolution);
}

} // namespace

QPrinter *current()
{
    Model &m = model();
    if (!m.current) {
        const QPrinterInfo info = QPrinterInfo::defaultPrinter();
        if (!info.isNull())
            m.current = newPrinter(info);
    }
    return m.current;
}

void setCurrent(QPrinter *printer)
{
    model().current = printer;
}

QList<QPrinter *> installed()
{
    Model &m = model();
    QList<QPrinter *> printers;
    const QList<QPrinterInfo> infos = QPrinterInfo::availablePrinters();
    for (const QPrinterInfo &info : infos) {
        QPrinter *&printer = m.byQueue[info.printerName()];
        if (!printer)
            printer = newPrinter(info);
        printers.append(printer);
    }
    return printers;
}

} // namespace Printers

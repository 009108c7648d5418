#pragma once

#include <QList>

class QPrinter;

// The program's printer objects, over Qt's print support (CUPS underneath):
// one current printer and the installed printers. Each object stands for one
// queue, is made the first time that queue is seen and lives until the program
// ends, so a pointer handed out stays good and the settings written onto an
// object (copies, duplex, orientation, paper) hold for every later print on it.
// No printer installed, or none the default, is an ordinary state: current()
// is then nullptr and installed() may be empty.
namespace Printers {

// The program's current printer: the system's default printer at first, as an
// object of its own (not one of installed()); nullptr when no printer is
// installed or none is the default, asked again on each call until there is
// one. Lives until the program ends.
QPrinter *current();

// Makes printer the program's current printer; the page setup does so with an
// installed printer's object.
void setCurrent(QPrinter *printer);

// The installed printers, in the system's order. The system is asked on each
// call, so a queue added while the program runs is listed and one removed is
// not; a queue keeps its one object for good. Each object lives until the
// program ends.
QList<QPrinter *> installed();

} // namespace Printers

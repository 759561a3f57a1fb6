// writeMolfile: a molecule record as the text of an MDL V2000 molfile.
//
// The text is ASCII (characters outside Latin-1 become "?") with CR LF
// line ends: a three-line header (the second line names the program
// "  Lumvo   " and holds the date and time "MMddyyhhmm" and "2D"), the
// counts line, one line per atom and per bond, then the property block:
// "A  " alias lines for labels, "M  CHG" and "M  ISO" lines of at most 8
// entries each, and "M  END".
//
// Atoms are numbered in bonds and property lines by their "Number"
// property (blank when missing or when a bond's atom index does not name
// an atom). Coordinates are rescaled so that the largest absolute one is
// 100. Nothing fails: fields never truncate (a count above 999 widens the
// counts line), a symbol the periodic table lacks is written "*", an atom
// without an element three spaces, a non-finite coordinate 0.0000.
//
// The date and time come from the molfile clock: the current local time
// unless a test has set a clock of its own.
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <functional>

class TMolecule;

using TMolfileClock = std::function<QDateTime()>;

// Sets the clock of every molfile written without an explicit time; an
// empty function restores the current local time.
void setMolfileClock(TMolfileClock clock);
QDateTime molfileClockNow();

QByteArray writeMolfile(const TMolecule& molecule);
QByteArray writeMolfile(const TMolecule& molecule, const QDateTime& stamp);

// Fill characters prepended (padLeft) or appended (padRight) until the
// text has `width` characters; a longer text stays whole.
QString padLeft(const QString& text, int width, QChar fill = QLatin1Char(' '));
QString padRight(const QString& text, int width, QChar fill = QLatin1Char(' '));

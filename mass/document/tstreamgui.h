// Guarded readers of the Qt painting values in a block stream (stream
// version Qt_4_0 layouts, as Qt's own writers produce them).
//
// Qt 5's own readers trust what they read: a pen's dash pattern and a
// gradient's stops are counted containers that abort on a huge count, a
// brush's style byte is taken as it is, and a font's family is allocated
// by its stored length. These read the same bytes with every count and
// length checked against the data first, and refuse values Qt cannot
// paint with (ReadCorruptData): colour specs Qt does not know, pen styles beyond the custom dash, cap and
// join codes Qt does not know, brush styles that are no style, gradient
// types beyond the conical one, and texture brushes (whose stored image
// the plug-in never writes). The value is changed only when all of it was
// read.
#pragma once

#include <QBrush>
#include <QColor>
#include <QFont>
#include <QPen>

class TDataStream;

bool readColor(TDataStream& s, QColor& color);
bool readBrush(TDataStream& s, QBrush& brush);
bool readPen(TDataStream& s, QPen& pen);
bool readFont(TDataStream& s, QFont& font);

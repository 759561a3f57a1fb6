// TMassTableWidgetTable: the base of the mass result tables. Their
// settings live under "Mass Tables/<key>", and they read their results
// only from a mass item (type 112).
#pragma once

#include "ttablewidgettable.h"

class TCanvasMass;

class TMassTableWidgetTable : public TTableWidgetTable {
public:
    TMassTableWidgetTable(TEmptyPlugin* plugin, const QString& title, QAction* reportAction, QAction* copyAction);

    // The table's item when it is a mass item, else null.
    TCanvasMass* massItem();
};

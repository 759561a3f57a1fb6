#include "tmasstablewidgettable.h"

#include "tcanvasmass.h"

TMassTableWidgetTable::TMassTableWidgetTable(TEmptyPlugin* plugin, const QString& title, QAction* reportAction,
                                             QAction* copyAction)
    : TTableWidgetTable(plugin, title, "Mass", reportAction, copyAction)
{
}

TCanvasMass* TMassTableWidgetTable::massItem()
{
    TCanvasItem* i = item();
    return i && i->rtti() == MassSpectrumItemType ? static_cast<TCanvasMass*>(i) : nullptr;
}

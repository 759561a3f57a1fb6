// The host's writer of the item record that TCanvasItem::read reads back
// (layout in tcanvasitem.h): the record the host keeps of every page item
// in its documents and on the clipboard, with the item's plug-in data
// (TCanvasItem::writePluginData) in its last block.
//
// `levels` is the depth of the extension chain the writer knows: 3 writes
// every field; 2, 1 and 0 leave out the type texts, then the child map
// and parent, then the link map, as older writers did; more than 3 adds
// empty newer levels, which readers drop. The pixmap is written when the
// item says it has one (TCanvasItem::hasPixmap, pixmap() needs a
// QGuiApplication).
#pragma once

class TCanvasItem;
class TDataStream;

namespace lumatra {

void writeItemRecord(TDataStream& s, const TCanvasItem& item, int levels = 3);

}  // namespace lumatra

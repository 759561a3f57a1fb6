// The page of the recording host: a QtCanvas that owns the items put on
// it (it deletes them when it goes), tells the host when an item leaves it
// (so that no selection keeps a deleted item) and journals the calls the
// page-item commands and the mouse modes make on it.
#pragma once

#include "qtcanvas.h"

#include <QImage>

class QPainter;

namespace lumatra {

class RecordingHost;

class RecordingCanvas : public QtCanvas {
public:
    RecordingCanvas(RecordingHost& host, int width, int height, int chunkSize);
    ~RecordingCanvas() override;

    void removeItem(QtCanvasItem* item) override;

    // Journaled.
    bool isPage() const override;
    void pageChanged() override;
    bool isItemShown(QtCanvasItem* item) const override;
    // New items go above every item of the page and carry the page as
    // their owner tag.
    void placeNewItems(const QtCanvasItemList& items) override;
    void update() override;

    // Paints the visible items, lowest z first, at the scale.
    void render(QPainter& painter) const;
    QImage renderImage(double scale) const;

private:
    RecordingHost& m_host;
};

}  // namespace lumatra

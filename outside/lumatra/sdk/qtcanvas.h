// QtCanvas: the host's page canvas as its items see it. The canvas divides
// its area (width x height pixels, page units) into square chunks of k
// pixels; every chunk holds the items entered in it (newest first) and a
// changed flag, so that the host repaints only chunks that changed. Items
// (QtCanvasItem, compiled by host and plug-in alike) enter and leave the
// chunks themselves through the accessors here and tell the canvas about
// themselves through the virtual operations.
//
// The host owns the canvas and creates and destroys it; a canvas neither
// owns nor deletes items (the host deletes the items of a page before its
// canvas). Chunk cells outside the grid are ignored by every operation.
#pragma once

#include <QList>
#include <QPoint>
#include <QRect>

#include <algorithm>
#include <vector>

class QtCanvasItem;
typedef QList<QtCanvasItem*> QtCanvasItemList;

class QtCanvasChunk {
public:
    const QtCanvasItemList& items() const { return m_items; }
    bool changed() const { return m_changed; }
    void change() { m_changed = true; }
    void clearChange() { m_changed = false; }
    // Enters the item at the front.
    void add(QtCanvasItem* item)
    {
        m_items.prepend(item);
        m_changed = true;
    }
    // Removes every occurrence of the item.
    void remove(QtCanvasItem* item)
    {
        m_items.removeAll(item);
        m_changed = true;
    }
    // Leaves the chunk empty.
    void clear()
    {
        m_items.clear();
        m_changed = true;
    }

private:
    QtCanvasItemList m_items;
    bool m_changed = true;  // a new canvas is painted whole
};

class QtCanvas {
public:
    // A grid of ceil(width / k) x ceil(height / k) chunks; sizes below 1
    // count as 1.
    QtCanvas(int width, int height, int chunkSize = 16)
        : m_width(std::max(1, width)),
          m_height(std::max(1, height)),
          m_chunkSize(std::max(1, chunkSize)),
          m_columns(cells(m_width, m_chunkSize)),
          m_rows(cells(m_height, m_chunkSize)),
          m_chunks(static_cast<size_t>(m_columns) * static_cast<size_t>(m_rows))
    {
    }
    virtual ~QtCanvas() = default;
    QtCanvas(const QtCanvas&) = delete;
    QtCanvas& operator=(const QtCanvas&) = delete;

    int width() const { return m_width; }
    int height() const { return m_height; }
    QRect rect() const { return QRect(0, 0, m_width, m_height); }
    int chunkSize() const { return m_chunkSize; }
    int chunkColumns() const { return m_columns; }
    int chunkRows() const { return m_rows; }
    bool validChunk(int column, int row) const
    {
        return column >= 0 && row >= 0 && column < m_columns && row < m_rows;
    }
    // The chunk (column, row); the cell must be valid.
    QtCanvasChunk& chunk(int column, int row) { return m_chunks[index(column, row)]; }
    const QtCanvasChunk& chunk(int column, int row) const { return m_chunks[index(column, row)]; }
    // Cells whose changed flag is set, rows outer, columns inner.
    QList<QPoint> changedChunks() const
    {
        QList<QPoint> cells;
        for (int r = 0; r < m_rows; ++r)
            for (int c = 0; c < m_columns; ++c)
                if (chunk(c, r).changed())
                    cells.append(QPoint(c, r));
        return cells;
    }
    // After a repaint: every changed flag cleared.
    void clearChanges()
    {
        for (QtCanvasChunk& c : m_chunks)
            c.clearChange();
    }
    // Every item on the canvas, in the order they were added.
    const QtCanvasItemList& allItems() const { return m_items; }
    const QtCanvasItemList& animatedItems() const { return m_animated; }
    // Empties every chunk and marks it changed. For a host about to delete
    // every item at once: each item then leaves empty chunks, instead of
    // searching every chunk it covers for itself among all the items
    // stacked there (time quadratic in the items on one spot).
    void clearChunkItems()
    {
        for (QtCanvasChunk& c : m_chunks)
            c.clear();
    }
    // Takes the item out of every chunk (for an item that cannot tell its
    // own chunks any more); marks the chunks it was in.
    void purgeItem(QtCanvasItem* item)
    {
        for (QtCanvasChunk& c : m_chunks)
            if (c.items().contains(item))
                c.remove(item);
    }

    // Called by the items.
    virtual void setChangedChunk(int column, int row)
    {
        if (validChunk(column, row))
            chunk(column, row).change();
    }
    virtual void addItem(QtCanvasItem* item)
    {
        if (!m_items.contains(item))
            m_items.append(item);
    }
    virtual void addAnimation(QtCanvasItem* item)
    {
        if (!m_animated.contains(item))
            m_animated.append(item);
    }
    virtual void removeItem(QtCanvasItem* item) { m_items.removeAll(item); }
    virtual void removeAnimation(QtCanvasItem* item) { m_animated.removeAll(item); }

    // Asked by the page-item commands: whether this canvas is a document
    // page (page query), the notice that a page lost an item it had been
    // given (page notification), whether an item on it is shown by a view
    // (item query). Operation 29 takes new items before they go into a
    // creation command (the expansion mode's new item).
    virtual bool isPage() const { return true; }
    virtual void pageChanged() {}
    virtual bool isItemShown(QtCanvasItem* item) const { return m_items.contains(item); }
    virtual void placeNewItems(const QtCanvasItemList& items) { (void)items; }
    // Asked once per canvas after a command changed items on it: bring the
    // display up to date.
    virtual void update() {}

private:
    static int cells(int extent, int k) { return static_cast<int>((static_cast<long long>(extent) + k - 1) / k); }
    size_t index(int column, int row) const
    {
        return static_cast<size_t>(row) * static_cast<size_t>(m_columns) + static_cast<size_t>(column);
    }

    int m_width;
    int m_height;
    int m_chunkSize;
    int m_columns;
    int m_rows;
    std::vector<QtCanvasChunk> m_chunks;
    QtCanvasItemList m_items;
    QtCanvasItemList m_animated;
};

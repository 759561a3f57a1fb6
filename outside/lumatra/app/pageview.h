// The view of the document's page: paints the page at the window's scale
// with its origin at the window's view origin (the page's chunks repaint
// as they change) and hands every mouse, key and context event to the
// window, which offers it to the plug-ins first.
#pragma once

#include <QWidget>

namespace lumatra {

class LumatraWindow;

// Host cursor ids of the plug-ins' mouse modes (500 to 518) as Qt cursor
// shapes; Qt::ArrowCursor for an id outside the table.
Qt::CursorShape cursorShapeForId(int id);

class PageView : public QWidget {
    Q_OBJECT

public:
    explicit PageView(LumatraWindow& host);

    QSize sizeHint() const override { return QSize(1000, 900); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    LumatraWindow& m_host;
};

}  // namespace lumatra

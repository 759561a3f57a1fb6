// BatchGuard: while it lives, modal Qt dialogs and message boxes that open
// are closed with their cancel button (the escape button, else the only
// button) or rejected, and their title and text are written to standard
// error, so that a batch run never waits for a person. Open menus are
// closed as well.
#pragma once

#include <QObject>
#include <QTimer>

namespace lumatra {

class BatchGuard : public QObject {
    Q_OBJECT

public:
    BatchGuard();

    // Dialogs closed so far.
    int closedCount() const { return m_closed; }

private:
    void check();

    QTimer m_timer;
    int m_closed = 0;
};

}  // namespace lumatra

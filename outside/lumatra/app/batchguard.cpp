#include "batchguard.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QMenu>
#include <QMessageBox>

#include <cstdio>

namespace lumatra {

BatchGuard::BatchGuard()
{
    // Modal dialogs run their own event loops, in which the timer still fires.
    m_timer.setInterval(20);
    connect(&m_timer, &QTimer::timeout, this, &BatchGuard::check);
    m_timer.start();
}

void BatchGuard::check()
{
    if (QWidget* popup = QApplication::activePopupWidget())
        popup->close();
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal || !modal->isVisible())
        return;
    ++m_closed;
    if (auto* box = qobject_cast<QMessageBox*>(modal)) {
        std::fprintf(stderr, "lumatra: batch run: closed the box \"%s\": %s\n",
                     box->windowTitle().toLocal8Bit().constData(), box->text().toLocal8Bit().constData());
        QAbstractButton* button = box->escapeButton();
        if (!button && box->buttons().size() == 1)
            button = box->buttons().first();
        if (button)
            button->click();
        else
            box->reject();
        return;
    }
    std::fprintf(stderr, "lumatra: batch run: cancelled the dialog \"%s\"\n",
                 modal->windowTitle().toLocal8Bit().constData());
    if (auto* dialog = qobject_cast<QDialog*>(modal))
        dialog->reject();
    else
        modal->close();
}

}  // namespace lumatra

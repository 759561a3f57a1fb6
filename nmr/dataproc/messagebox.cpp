// Message boxes of the library: plain Qt boxes on the calling thread.
#include "frame.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

#include <cstdio>

namespace yarbex {

int32_t showMessage(uint32_t kind, const char* text, const char* title)
{
    if (kind > MessageQuestionCancel)
        return 0;
    const char* t = text ? text : "";
    const char* caption = title ? title : "";

    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) {
        // Nobody can answer: the question goes to standard error and
        // counts as not answered.
        std::fprintf(stderr, "%s: %s\n", caption, t);
        std::fflush(stderr);
        return -1;
    }

    QMessageBox::Icon icon = QMessageBox::Information;
    QMessageBox::StandardButtons buttons = QMessageBox::Ok;
    switch (kind) {
    case MessageInformation:
        break;
    case MessageWarning:
        icon = QMessageBox::Warning;
        buttons = QMessageBox::Ok | QMessageBox::Cancel;
        break;
    case MessageCritical:
        icon = QMessageBox::Critical;
        buttons = QMessageBox::Ok | QMessageBox::Cancel;
        break;
    case MessageQuestion:
        icon = QMessageBox::Question;
        buttons = QMessageBox::Yes | QMessageBox::No;
        break;
    default:
        icon = QMessageBox::Question;
        buttons = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
        break;
    }

    QMessageBox box(icon, QString::fromUtf8(caption), QString::fromUtf8(t), buttons);
    box.exec();
    switch (box.standardButton(box.clickedButton())) {
    case QMessageBox::Ok:
    case QMessageBox::Yes:
        return 1;
    case QMessageBox::No:
        return 0;
    default:
        return -1;
    }
}

}  // namespace yarbex

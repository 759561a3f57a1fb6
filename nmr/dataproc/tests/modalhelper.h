// Answers the modal boxes a test triggers: polls from a single-shot timer
// for QApplication::activeModalWidget(), records what it shows and
// presses the given button.
#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QObject>
#include <QTimer>

#include <string>
#include <vector>

namespace yarbex::test {

struct SeenBox {
    std::string title;
    std::string text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
};

class ModalAnswerer : public QObject {
public:
    // Answers every box with `button` (NoButton closes it).
    explicit ModalAnswerer(QMessageBox::StandardButton button = QMessageBox::Ok) : m_button(button) { poll(); }

    std::vector<SeenBox> seen;

private:
    void poll()
    {
        QTimer::singleShot(5, this, [this] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box && box->isVisible()) {
                {
                    SeenBox s;
                    s.title = box->windowTitle().toStdString();
                    s.text = box->text().toStdString();
                    s.icon = box->icon();
                    s.buttons = box->standardButtons();
                    seen.push_back(s);
                    if (QAbstractButton* b = m_button == QMessageBox::NoButton ? nullptr : box->button(m_button))
                        b->click();
                    else
                        box->reject();
                }
            }
            poll();
        });
    }

    QMessageBox::StandardButton m_button;
};

}  // namespace yarbex::test

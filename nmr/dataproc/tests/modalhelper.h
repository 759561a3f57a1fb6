// Answers the message boxes a test expects, through the shared
// ks::test::whenModal, and records what each box showed.
#pragma once

#include "kstestqt.h"

#include <QAbstractButton>
#include <QMessageBox>

#include <memory>
#include <string>
#include <vector>

namespace yarbex::test {

struct SeenBox {
    std::string title;
    std::string text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
};

class BoxAnswers {
public:
    // Answers the next box with `button` (NoButton closes it). Boxes are
    // answered in the order of these calls; one never shown fails the test.
    void next(QMessageBox::StandardButton button = QMessageBox::Ok)
    {
        ks::test::whenModal([seen = m_seen, button](QMessageBox* box) {
            SeenBox s;
            s.title = box->windowTitle().toStdString();
            s.text = box->text().toStdString();
            s.icon = box->icon();
            s.buttons = box->standardButtons();
            seen->push_back(s);
            if (QAbstractButton* b = button == QMessageBox::NoButton ? nullptr : box->button(button))
                b->click();
            else
                box->reject();
        });
    }

    const std::vector<SeenBox>& seen() const { return *m_seen; }

private:
    // Shared with the pending answers, which may outlive this object.
    std::shared_ptr<std::vector<SeenBox>> m_seen = std::make_shared<std::vector<SeenBox>>();
};

}  // namespace yarbex::test

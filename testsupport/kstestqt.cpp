#include "kstestqt.h"

#include "kstest.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QEvent>
#include <QPointer>
#include <QSettings>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace ks::test {
namespace {

constexpr int kPollMs = 10;
constexpr qint64 kWaitLimitMs = 60000;
constexpr int kLeftOpenMs = 3000;

void closeWidget(QWidget* w)
{
    if (auto* d = qobject_cast<QDialog*>(w))
        d->reject();
    else
        w->close();
}

// One answer given to whenModal. It lives until finishModalAnswers, so
// that later answers can tell which widgets it holds; its pending timers
// die with it.
class ModalAnswer : public QObject {
public:
    ModalAnswer(std::function<bool(QWidget*)> matches, std::function<void(QWidget*)> act, QWidget* except,
                const char* typeName, int number)
        : m_matches(std::move(matches)), m_act(std::move(act)), m_except(except), m_typeName(typeName),
          m_number(number)
    {
        m_waited.start();
    }

    void schedule(int ms) { QTimer::singleShot(ms, this, [this]() { poll(); }); }

    bool waiting() const { return m_state == State::Waiting; }

    // True while this answer acts on `w` or left it open: later answers
    // pass it over.
    bool holds(QWidget* w) const
    {
        return m_state != State::Waiting && m_answered == w && !m_hidden && w->isVisible();
    }

    // At the end of the test case.
    void finish()
    {
        if (m_state == State::Waiting)
            ADD_FAILURE() << "no modal dialog was shown: " << describe()
                          << " was still waiting at the end of the test case";
        else
            checkLeftOpen();
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == m_answered && event->type() == QEvent::Hide)
            m_hidden = true;
        return false;
    }

private:
    enum class State { Waiting, Acting, Answered };

    std::string describe() const
    {
        return "answer " + std::to_string(m_number) + " of the test case (a " + m_typeName + ")";
    }

    void poll();
    void checkLeftOpen()
    {
        if (m_leftOpenChecked || m_state != State::Answered)
            return;
        m_leftOpenChecked = true;
        if (m_answered && !m_hidden && m_answered->isVisible()) {
            ADD_FAILURE() << "the dialog was left open by " << describe();
            closeWidget(m_answered);
        }
    }

    std::function<bool(QWidget*)> m_matches;
    std::function<void(QWidget*)> m_act;
    QPointer<QWidget> m_except;
    std::string m_typeName;
    int m_number;
    QElapsedTimer m_waited;
    State m_state = State::Waiting;
    QPointer<QWidget> m_answered;
    bool m_hidden = false;
    bool m_leftOpenChecked = false;
};

// Answers in the order they were given; those of finished test cases are
// gone.
std::vector<std::unique_ptr<ModalAnswer>> g_answers;

void ModalAnswer::poll()
{
    if (m_state != State::Waiting)
        return;
    // Answers given earlier go first; widgets they act on or left open
    // are theirs.
    bool first = true;
    bool held = false;
    bool before = true;
    QWidget* w = QApplication::activeModalWidget();
    for (const auto& other : g_answers) {
        if (other.get() == this) {
            before = false;
            continue;
        }
        if (before && other->waiting())
            first = false;
        if (w && other->holds(w))
            held = true;
    }
    if (first && w && w != m_except && !held && w->isVisible() && m_matches(w)) {
        m_state = State::Acting;
        m_answered = w;
        w->installEventFilter(this);
        m_act(w);
        m_state = State::Answered;
        // An act that failed half-way leaves the widget up and the test
        // blocked in exec: close it later.
        if (m_answered && !m_hidden && m_answered->isVisible())
            QTimer::singleShot(kLeftOpenMs, this, [this]() { checkLeftOpen(); });
        return;
    }
    if (m_waited.elapsed() > kWaitLimitMs) {
        m_state = State::Answered;
        m_leftOpenChecked = true;
        ADD_FAILURE() << "no modal dialog was shown: " << describe() << " waited "
                      << kWaitLimitMs / 1000 << " s";
        if (first && w && w != m_except && !held && w->isVisible())
            closeWidget(w);
        return;
    }
    schedule(kPollMs);
}

}  // namespace

namespace detail {

void whenModal(std::function<bool(QWidget*)> matches, std::function<void(QWidget*)> act, QWidget* except,
               const char* typeName)
{
    g_answers.push_back(std::make_unique<ModalAnswer>(std::move(matches), std::move(act), except, typeName,
                                                      int(g_answers.size()) + 1));
    g_answers.back()->schedule(0);
}

}  // namespace detail

void finishModalAnswers()
{
    // Taken first: a widget closed here may run code that answers again.
    std::vector<std::unique_ptr<ModalAnswer>> answers;
    answers.swap(g_answers);
    for (const auto& a : answers)
        a->finish();
}

QString useCaseSettings()
{
    QCoreApplication::setOrganizationName(QStringLiteral("Kestrom"));
    QCoreApplication::setApplicationName(QStringLiteral("Lumatra"));
    const QString user = QString::fromStdString(tempDir() + "/config");
    const QString system = user + QStringLiteral("/system");
    // On Unix the native format is the INI format; both are set so that
    // either spelling in the code under test lands here.
    for (QSettings::Format f : {QSettings::NativeFormat, QSettings::IniFormat}) {
        QSettings::setPath(f, QSettings::UserScope, user);
        QSettings::setPath(f, QSettings::SystemScope, system);
    }
    return user + QStringLiteral("/Kestrom/Lumatra.conf");
}

}  // namespace ks::test

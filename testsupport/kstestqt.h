// The Qt half of the test support (library kstestsupport_qtmain, with the
// QApplication main on the offscreen platform): answering modal dialogs
// and message boxes, and application settings kept in the test case's
// folder.
#pragma once

#include <QString>
#include <QWidget>

#include <functional>
#include <type_traits>
#include <utility>

namespace ks::test {

namespace detail {

// The widget type a callable takes (its only parameter, a pointer).
template <class F>
struct ModalArg : ModalArg<decltype(&F::operator())> {};
template <class C, class R, class A>
struct ModalArg<R (C::*)(A) const> { using type = A; };
template <class C, class R, class A>
struct ModalArg<R (C::*)(A)> { using type = A; };
template <class R, class A>
struct ModalArg<R (*)(A)> { using type = A; };

void whenModal(std::function<bool(QWidget*)> matches, std::function<void(QWidget*)> act,
               QWidget* except, const char* typeName);

}  // namespace detail

// Runs `act` on the next modal widget of the type `act` takes (QWidget*,
// QDialog*, QMessageBox*, QFileDialog*...) once it is visible, from the
// event loop that shows it: QApplication::activeModalWidget() is polled
// every 10 ms from a single-shot timer. Call it before the code that
// shows the widget. `except` is passed over (a box over a dialog that is
// being answered).
//
// Answers queue: several calls made before one piece of code runs answer
// its widgets in the order the calls were made; a call made inside an
// `act` answers a widget shown by that act.
//
// Failures (the test goes on):
// - an act that returns with its widget still open (a failed assertion
//   half-way): after 3 s, or at the end of the test case, the test fails
//   with "the dialog was left open" and the widget is closed, so exec
//   returns;
// - no matching widget for 60 s of polling: "no modal dialog was shown",
//   and a modal widget that is up instead is closed;
// - an answer still waiting when the test case ends (the code never showed
//   its widget): "no modal dialog was shown".
template <class Act>
void whenModal(Act act, QWidget* except = nullptr)
{
    using Arg = typename detail::ModalArg<std::decay_t<Act>>::type;
    using W = std::remove_cv_t<std::remove_pointer_t<Arg>>;
    static_assert(std::is_pointer_v<Arg> && std::is_base_of_v<QWidget, W>,
                  "whenModal: the act takes a pointer to a widget");
    detail::whenModal([](QWidget* w) { return qobject_cast<W*>(w) != nullptr; },
                      [act = std::move(act)](QWidget* w) mutable { act(static_cast<W*>(w)); }, except,
                      W::staticMetaObject.className());
}

// Ends every answer given to whenModal so far: one still waiting fails
// the test ("no modal dialog was shown"), a widget an act left open fails
// it and is closed. The Qt main calls this at the end of each test case;
// a test may call it earlier.
void finishModalAnswers();

// Points application settings at the running test case's folder: the
// organisation "Kestrom" and application "Lumatra", as the host sets them,
// and QSettings::setPath for the user scope (the case's config folder) and
// the system scope (its "system" subfolder), so that default-scope
// QSettings of this case never read or write the user's or the machine's
// files. QSettings takes its folders once per process: call this in the
// fixture's SetUp of every test case that touches application settings.
// Answers the path of the user settings file.
QString useCaseSettings();

}  // namespace ks::test

#pragma once

#include <exception>
#include <functional>
#include <utility>

#include <QApplication>
#include <QString>

// The error box: the one place where an exception that leaves an event handler is shown.
// It shows ErrorBoxText(message) under the application title, with the stop icon and one
// OK button, modal to the whole program. EAbort shows nothing.

// What the box shows for message: "." appended when the message is not empty and its last
// character's code is greater than that of "." (letters, digits, ":" and "?" get one;
// ".", "!", ",", ")", quotes, blanks and line breaks get none).
QString ErrorBoxText(const QString &message);

// Shows the box (caption, text); the default one runs a QMessageBox. Tests replace it with
// a recorder. Returns the presenter that was in place; an empty one restores the default.
using ErrorBoxPresenter = std::function<void(const QString &caption, const QString &text)>;
ErrorBoxPresenter setErrorBoxPresenter(ErrorBoxPresenter presenter);

// Shows the error box for the exception being handled: our Exception classes with their
// Message(), other std::exceptions with what(), anything else with a generic text.
// Call only inside a catch block. Never raises.
void ShowCurrentException() noexcept;

// Runs handler; an exception that leaves it ends it there and is shown in the error box.
// Returns true when handler ran to its end, false when an exception (EAbort included) ended
// it, so that the caller does not complete the action (a close, for instance).
template <typename Handler>
bool Handle(Handler &&handler) noexcept
{
    try {
        std::forward<Handler>(handler)();
        return true;
    } catch (...) {
        ShowCurrentException();
        return false;
    }
}

// The application object of both programs: an exception that leaves any event handler is
// shown in the error box instead of reaching Qt's event loop, and the program goes on.
class TApplication : public QApplication
{
    Q_OBJECT
public:
    TApplication(int &argc, char **argv);
    bool notify(QObject *receiver, QEvent *event) override;
};

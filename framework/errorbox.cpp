#include "errorbox.h"

#include <cstdio>

#include <QMessageBox>

#include "apptitle.h"
#include "exceptions.h"

namespace {

constexpr QChar kFullStop = u'.';

// Used for an exception that carries no text of its own.
const char kUnknownException[] = "Unknown exception";

void showInMessageBox(const QString &caption, const QString &text)
{
    if (!qobject_cast<QApplication *>(QCoreApplication::instance())) {
        // Without widgets there is no box to show; the text still must not vanish.
        std::fprintf(stderr, "%s: %s\n", qUtf8Printable(caption), qUtf8Printable(text));
        return;
    }
    QMessageBox box(QMessageBox::Critical, caption, text, QMessageBox::Ok);
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}

ErrorBoxPresenter &presenter()
{
    static ErrorBoxPresenter current;
    return current;
}

void show(const QString &message)
{
    const QString caption = ApplicationTitle();
    const QString text = ErrorBoxText(message);
    if (presenter())
        presenter()(caption, text);
    else
        showInMessageBox(caption, text);
}

} // namespace

QString ErrorBoxText(const QString &message)
{
    if (!message.isEmpty() && message.back() > kFullStop)
        return message + kFullStop;
    return message;
}

ErrorBoxPresenter setErrorBoxPresenter(ErrorBoxPresenter replacement)
{
    return std::exchange(presenter(), std::move(replacement));
}

void ShowCurrentException() noexcept
{
    try {
        try {
            throw;
        } catch (const EAbort &) {
        } catch (const Exception &e) {
            show(e.Message());
        } catch (const std::exception &e) {
            show(QString::fromUtf8(e.what()));
        } catch (...) {
            show(QString::fromLatin1(kUnknownException));
        }
    } catch (...) {
        // Showing failed (out of memory, a presenter that raised): nothing more can be done.
    }
}

TApplication::TApplication(int &argc, char **argv) : QApplication(argc, argv) {}

bool TApplication::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        ShowCurrentException();
        return false;
    }
}

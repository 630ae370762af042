#include "messagedlg.h"

#include <QApplication>
#include <QMessageBox>
#include <QScreen>

#include "frameworktexts.h"

namespace {

bool showRealBox(const MessageDlgRequest &request)
{
    QMessageBox::Icon icon = QMessageBox::Question;
    switch (request.type) {
    case mtWarning: icon = QMessageBox::Warning; break;
    case mtError: icon = QMessageBox::Critical; break;
    case mtInformation: icon = QMessageBox::Information; break;
    case mtConfirmation: icon = QMessageBox::Question; break;
    }
    QMessageBox box(icon, request.caption, request.text, QMessageBox::Ok | QMessageBox::Cancel);
    box.setDefaultButton(QMessageBox::Ok);
    box.setEscapeButton(QMessageBox::Cancel);
    box.setWindowModality(Qt::ApplicationModal);
    // Centred on the screen, not on the window that asked.
    box.adjustSize();
    if (QScreen *screen = QGuiApplication::primaryScreen()) {
        QRect area = screen->availableGeometry();
        QSize size = box.sizeHint();
        box.move(area.center() - QPoint(size.width() / 2, size.height() / 2));
    }
    return box.exec() == QMessageBox::Ok;
}

MessageDlgPresenter &presenter()
{
    static MessageDlgPresenter current;
    return current;
}

} // namespace

MessageDlgPresenter setMessageDlgPresenter(MessageDlgPresenter next)
{
    MessageDlgPresenter previous = std::move(presenter());
    presenter() = std::move(next);
    return previous;
}

bool MessageDlg(const MessageDlgRequest &request)
{
    if (presenter())
        return presenter()(request);
    return showRealBox(request);
}

bool ConfirmDeleteRecord()
{
    MessageDlgRequest request;
    request.caption = QString::fromLatin1(FrameworkMessages::kConfirmCaption);
    request.text = QString::fromLatin1(FrameworkMessages::kDeleteRecordQuestion);
    request.type = mtConfirmation;
    return MessageDlg(request);
}

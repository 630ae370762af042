#include "opendialog.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QStringList>

namespace {

TOpenDialog::Presenter &presenter()
{
    static TOpenDialog::Presenter current;
    return current;
}

TOpenDialog::Answer showRealDialog(const TOpenDialog::Request &request, QWidget *owner)
{
    QFileDialog dialog(owner, request.title);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    // Neither the file nor its folder has to exist, so a typed name is taken as it is.
    dialog.setFileMode(request.options.testFlag(TOpenDialog::ofFileMustExist)
                           ? QFileDialog::ExistingFile
                           : QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::ReadOnly, false);
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    dialog.setSizeGripEnabled(request.options.testFlag(TOpenDialog::ofEnableSizing));
    if (!request.nameFilter.isEmpty()) {
        dialog.setNameFilter(request.nameFilter);
        // Without QDir::CaseSensitive the patterns match regardless of letter case, as the
        // file names of the directory table do.
        dialog.setFilter(QDir::AllDirs | QDir::Files | QDir::NoDotAndDotDot);
    }
    QFileInfo proposed(request.fileName);
    if (proposed.isAbsolute()) {
        dialog.setDirectory(proposed.absolutePath());
        dialog.selectFile(proposed.fileName());
    } else {
        if (!request.initialDir.isEmpty())
            dialog.setDirectory(request.initialDir);
        dialog.selectFile(request.fileName);
    }
    TOpenDialog::Answer answer;
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) {
        answer.accepted = true;
        answer.fileName = QDir::toNativeSeparators(dialog.selectedFiles().constFirst());
    }
    return answer;
}

} // namespace

TOpenDialog::TOpenDialog(QObject *parent) : QObject(parent) {}

TOpenDialog::Presenter TOpenDialog::setPresenter(Presenter next)
{
    Presenter previous = std::move(presenter());
    presenter() = std::move(next);
    return previous;
}

QString TOpenDialog::toQtNameFilter(const QString &filter)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList lines;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns = parts.at(i + 1).split(QLatin1Char(';'), Qt::SkipEmptyParts);
        for (QString &pattern : patterns)
            pattern = pattern.trimmed();
        lines << parts.at(i) + QStringLiteral(" (") + patterns.join(QLatin1Char(' '))
                     + QLatin1Char(')');
    }
    return lines.join(QStringLiteral(";;"));
}

bool TOpenDialog::execute(QWidget *owner)
{
    Request request;
    request.title = m_title;
    request.initialDir = m_initialDir;
    request.fileName = m_fileName;
    request.nameFilter = toQtNameFilter(m_filter);
    request.options = m_options;
    Answer answer = presenter() ? presenter()(request) : showRealDialog(request, owner);
    if (!answer.accepted)
        return false;
    m_fileName = answer.fileName;
    return true;
}

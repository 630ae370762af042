#include "programfolder.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

namespace {

QString &testFolder()
{
    static QString folder;
    return folder;
}

constexpr QChar kSeparator = u'/';

} // namespace

QString ProgramFolder::programFilePath()
{
    // /proc/self/exe names the file even before an application object exists.
    const QString exe = QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget();
    if (!exe.isEmpty())
        return exe;
    if (QCoreApplication::instance())
        return QCoreApplication::applicationFilePath();
    return QString();
}

QString ProgramFolder::path()
{
    if (!testFolder().isEmpty())
        return testFolder();
    return of(programFilePath());
}

QString ProgramFolder::of(const QString &filePath)
{
    return filePath.left(filePath.lastIndexOf(kSeparator) + 1);
}

void ProgramFolder::setForTesting(const QString &folder)
{
    testFolder() = folder;
}

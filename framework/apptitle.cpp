#include "apptitle.h"

#include "programfolder.h"

QString ApplicationTitleOf(const QString &programFilePath)
{
    QString name = programFilePath.mid(programFilePath.lastIndexOf(u'/') + 1);
    const qsizetype dot = name.indexOf(u'.');
    if (dot >= 0)
        name.truncate(dot);
    if (name.isEmpty())
        return name;
    // The first character stays as it is written; only the later ones are lowered.
    return name.left(1) + name.mid(1).toLower();
}

QString ApplicationTitle()
{
    return ApplicationTitleOf(ProgramFolder::programFilePath());
}

#include "programfolder.h"

#include <gtest/gtest.h>

#include <QFileInfo>

namespace {

TEST(ProgramFolderTest, IsTheFolderOfAPathWithItsSeparator)
{
    struct Case {
        const char *file;
        const char *folder;
    };
    const Case cases[] = {
        {"/opt/phones/fonvik", "/opt/phones/"},
        {"/fonvik", "/"},
        {"/opt/phones/", "/opt/phones/"},
        {"/opt//phones/./fonvik", "/opt//phones/./"}, // nothing normalised
        {"fonvik", ""},
        {"", ""},
    };
    for (const Case &c : cases)
        EXPECT_EQ(ProgramFolder::of(QString::fromUtf8(c.file)), QString::fromUtf8(c.folder))
            << c.file;
}

TEST(ProgramFolderTest, IsTheRunningProgramsFolder)
{
    const QString exe = ProgramFolder::programFilePath();
    ASSERT_FALSE(exe.isEmpty());
    EXPECT_TRUE(QFileInfo(exe).isFile());
    EXPECT_TRUE(exe.endsWith(QStringLiteral("/programfolder_test")));
    EXPECT_EQ(ProgramFolder::path(), exe.left(exe.lastIndexOf(u'/') + 1));
}

TEST(ProgramFolderTest, TestsCanSetItAndRestoreIt)
{
    const QString real = ProgramFolder::path();
    ProgramFolder::setForTesting(QStringLiteral("/tmp/elsewhere/"));
    EXPECT_EQ(ProgramFolder::path(), QStringLiteral("/tmp/elsewhere/"));
    ProgramFolder::setForTesting(QString());
    EXPECT_EQ(ProgramFolder::path(), real);
}

} // namespace

#include "apptitle.h"

#include <gtest/gtest.h>

namespace {

TEST(AppTitleTest, ComesFromTheProgramFilesName)
{
    struct Case {
        const char *file;
        const char *title;
    };
    const Case cases[] = {
        {"/opt/phones/fonvik", "Fonvik"},
        {"/opt/phones/FONVIK.EXE", "Fonvik"},
        {"/opt/phones/Fonred", "Fonred"},
        {"fONRED", "Fonred"},
        {"/opt/my.folder/fonvik.bin.old", "Fonvik"}, // a dot in the folder does not count
        {"/opt/phones/.hidden", ""},
        {"/opt/phones/", ""},
        {"/opt/телефоны/СПРАВКА.exe", "Справка"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(ApplicationTitleOf(QString::fromUtf8(c.file)), QString::fromUtf8(c.title)) << c.file;
}

TEST(AppTitleTest, IsThatOfTheRunningProgram)
{
    EXPECT_EQ(ApplicationTitle(), QStringLiteral("Apptitle_test"));
}

} // namespace

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
        {"/opt/phones/fonvik", "fonvik"}, // the first character is not raised
        {"/opt/phones/FONVIK.EXE", "Fonvik"},
        {"/opt/phones/Fonred", "Fonred"},
        {"fONRED", "fonred"},
        {"/opt/my.folder/Fonvik.bin.old", "Fonvik"}, // a dot in the folder does not count
        {"/opt/phones/.hidden", ""},
        {"/opt/phones/", ""},
        {"/opt/телефоны/СПРАВКА.exe", "Справка"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(ApplicationTitleOf(QString::fromUtf8(c.file)), QString::fromUtf8(c.title)) << c.file;
}

TEST(AppTitleTest, IsThatOfTheRunningProgram)
{
    EXPECT_EQ(ApplicationTitle(), QStringLiteral("apptitle_test"));
}

} // namespace

#include "inifile.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "cp1251.h"
#include "exceptions.h"

namespace {

// A temporary folder with helpers to write and read the settings file as bytes.
class IniFileTest : public testing::Test
{
protected:
    QString path(const char *name = "fonvik.ini") const { return m_dir.filePath(QString::fromLatin1(name)); }

    void write(const QByteArray &bytes, const char *name = "fonvik.ini") const
    {
        QFile f(path(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        ASSERT_EQ(f.write(bytes), bytes.size());
    }

    QByteArray read(const char *name = "fonvik.ini") const
    {
        QFile f(path(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }

    // The names the folder holds, so that a failed write is seen to leave no temporary file.
    QStringList entries() const
    {
        return QDir(m_dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    }

    QTemporaryDir m_dir;
};

struct ReadCase {
    const char *name;
    QByteArray file; // "<none>": no file at all
    QString section;
    QString key;
    QString expected;
};

void PrintTo(const ReadCase &c, std::ostream *os)
{
    *os << c.name;
}

class IniReadTest : public IniFileTest, public testing::WithParamInterface<ReadCase>
{
};

const QString kDefault = QStringLiteral("<default>");

TEST_P(IniReadTest, ReadsByTheRules)
{
    const ReadCase &c = GetParam();
    if (c.file != "<none>")
        write(c.file);
    EXPECT_EQ(TIniFile(path()).ReadString(c.section, c.key, kDefault), c.expected);
}

const QString P = QStringLiteral("param");
const QString B = QStringLiteral("base");
const QString N = QStringLiteral("Name");

INSTANTIATE_TEST_SUITE_P(
    Rules, IniReadTest,
    testing::Values(
        ReadCase{"MissingFile", "<none>", P, B, kDefault},
        ReadCase{"EmptyFile", "", P, B, kDefault},
        ReadCase{"MissingSection", "[other]\nbase=/x/\n", P, B, kDefault},
        ReadCase{"MissingKey", "[param]\nname=A\n", P, B, kDefault},
        ReadCase{"Present", "[param]\nbase=/data/\n", P, B, QStringLiteral("/data/")},
        ReadCase{"PresentEmpty", "[param]\nbase=\n", P, B, QString()},
        ReadCase{"UpperCaseNames", "[PARAM]\nBASE=/d/\nNAME=Org\n", P, N, QStringLiteral("Org")},
        ReadCase{"CyrillicNamesIgnoreCase", "[\xCF\xE0\xF0\xE0\xEC]\n\xCA\xEB\xFE\xF7=1\n",
                 QStringLiteral("пАРАМ"), QStringLiteral("КЛЮЧ"), QStringLiteral("1")},
        ReadCase{"Cp1251Value", "[param]\nname=\xCE\xCE\xCE \xAB\xD0\xEE\xEC\xE0\xF8\xEA\xE0\xBB\n",
                 P, N, QStringLiteral("ООО «Ромашка»")},
        ReadCase{"BlanksAroundNamesAndEquals", "  [ param ]  \n\t base \t=  /d/ \n", P, B,
                 QStringLiteral("/d/ ")},
        ReadCase{"QuotesKept", "[param]\nname=\"A\"\n", P, N, QStringLiteral("\"A\"")},
        ReadCase{"ValueWithEquals", "[param]\nname=a=b\n", P, N, QStringLiteral("a=b")},
        ReadCase{"CrLf", "[param]\r\nbase=/d/\r\nname=X\r\n", P, B, QStringLiteral("/d/")},
        ReadCase{"NoFinalLineEnd", "[param]\nbase=/d/", P, B, QStringLiteral("/d/")},
        ReadCase{"CommentsIgnored", "[param]\n;base=/a/\n#base=/b/\nbase=/c/\n", P, B,
                 QStringLiteral("/c/")},
        ReadCase{"FirstKeyWins", "[param]\nbase=/1/\nBASE=/2/\n", P, B, QStringLiteral("/1/")},
        ReadCase{"FirstSectionWins", "[param]\nname=A\n[x]\n[param]\nbase=/2/\n", P, B, kDefault},
        ReadCase{"KeyBeforeAnySection", "base=/0/\n[param]\n", P, B, kDefault},
        ReadCase{"ByteOrderMarkSkipped", "\xEF\xBB\xBF[param]\nbase=/d/\n", P, B, QStringLiteral("/d/")},
        ReadCase{"UnclosedHeaderIsNoSection", "[param\nbase=/d/\n", P, B, kDefault},
        ReadCase{"KeyOfOtherSectionNotSeen", "[param]\n[other]\nbase=/d/\n", P, B, kDefault},
        ReadCase{"ValueEndsAtNul", QByteArray("[param]\nbase=/a\0b/\n", 19), P, B,
                 QStringLiteral("/a")},
        ReadCase{"NulBytesElsewhere", QByteArray("\0\0\n[param]\n\0=1\nbase=/d/\n", 24), P, B,
                 QStringLiteral("/d/")},
        ReadCase{"BinaryGarbage", QByteArray("\xFF\xFE[\x01\x02]\n=\n[\n]\n\r\r\r\n[param]\nbase=/d/\n"),
                 P, B, QStringLiteral("/d/")}),
    [](const testing::TestParamInfo<ReadCase> &info) { return info.param.name; });

TEST_F(IniFileTest, LongValuesAreCutAfter2047Characters)
{
    const QByteArray value(3000, 'x');
    write("[param]\nname=" + value + "\nbase=/d/\n");
    const TIniFile ini(path());
    EXPECT_EQ(ini.ReadString(P, N, kDefault), QString(2047, u'x'));
    EXPECT_EQ(ini.ReadString(P, B, kDefault), QStringLiteral("/d/"));
}

TEST_F(IniFileTest, ATenMegabyteLineReadsByTheSameRules)
{
    QByteArray garbage(10 * 1024 * 1024, 'g');
    write("[param]\n" + garbage + "\nname=" + garbage + "\nbase=/d/\n");
    const TIniFile ini(path());
    EXPECT_EQ(ini.ReadString(P, B, kDefault), QStringLiteral("/d/"));
    EXPECT_EQ(ini.ReadString(P, N, kDefault).size(), 2047);
}

TEST_F(IniFileTest, PathsThatAreNoReadableFileReadAsMissing)
{
    ASSERT_TRUE(QDir(m_dir.path()).mkdir(QStringLiteral("folder.ini")));
    EXPECT_EQ(TIniFile(path("folder.ini")).ReadString(P, B, kDefault), kDefault);
    EXPECT_EQ(TIniFile(path("nofolder/fonvik.ini")).ReadString(P, B, kDefault), kDefault);

    write("[param]\nbase=/d/\n");
    ASSERT_EQ(::chmod(QFile::encodeName(path()).constData(), 0), 0); // unreadable, root included
    EXPECT_EQ(TIniFile(path()).ReadString(P, B, kDefault), kDefault);
}

TEST_F(IniFileTest, CreatingTheObjectTouchesNoFile)
{
    {
        TIniFile ini(path());
        EXPECT_EQ(ini.FileName(), path());
    }
    EXPECT_TRUE(entries().isEmpty());
}

struct WriteCase {
    const char *name;
    QByteArray before; // "<none>": no file at all
    QString section;
    QString key;
    QString value;
    QByteArray after;
};

void PrintTo(const WriteCase &c, std::ostream *os)
{
    *os << c.name;
}

class IniWriteTest : public IniFileTest, public testing::WithParamInterface<WriteCase>
{
};

TEST_P(IniWriteTest, ChangesOnlyWhatItMust)
{
    const WriteCase &c = GetParam();
    if (c.before != "<none>")
        write(c.before);
    TIniFile ini(path());
    ini.WriteString(c.section, c.key, c.value);
    EXPECT_EQ(read(), c.after);
    EXPECT_EQ(ini.ReadString(c.section, c.key, kDefault), c.value.left(TIniFile::kMaxValueLength));
    EXPECT_EQ(entries(), QStringList{QStringLiteral("fonvik.ini")}); // no temporary file left
}

const QByteArray kHandWritten = "; settings of the telephone directory\r\n"
                                "\r\n"
                                "[Other]\r\n"
                                "base=/not/this/\r\n"
                                "\r\n"
                                "[PARAM]\r\n"
                                "# the folder of the table\r\n"
                                "BASE = /old/\r\n"
                                "colour=blue\r\n"
                                "\r\n"
                                "[more]\r\n"
                                "x=1";

INSTANTIATE_TEST_SUITE_P(
    Rules, IniWriteTest,
    testing::Values(
        WriteCase{"NewFile", "<none>", P, B, QStringLiteral("/d/"), "[param]\nbase=/d/\n"},
        WriteCase{"EmptyFile", "", P, B, QString(), "[param]\nbase=\n"},
        WriteCase{"NewKeyAfterLastKey", "[param]\nbase=/d/\n\n[x]\n", P, N, QStringLiteral("Org"),
                  "[param]\nbase=/d/\nName=Org\n\n[x]\n"},
        WriteCase{"NewKeyAfterHeader", "[param]\n\n[x]\n", P, B, QStringLiteral("/d/"),
                  "[param]\nbase=/d/\n\n[x]\n"},
        WriteCase{"NewSectionAfterUnendedLine", "[x]\ny=1", P, B, QStringLiteral("/d/"),
                  "[x]\ny=1\n[param]\nbase=/d/\n"},
        WriteCase{"NewKeyAfterUnendedLine", "[param]\nbase=/d/", P, N, QStringLiteral("A"),
                  "[param]\nbase=/d/\nName=A\n"},
        WriteCase{"ReplacedInPlaceKeepingOtherBytes", kHandWritten, P, B, QStringLiteral("/new/"),
                  QByteArray(kHandWritten).replace("BASE = /old/", "BASE = /new/")},
        WriteCase{"NewKeyUsesTheFilesCrLf", kHandWritten, P, N, QStringLiteral("Org"),
                  QByteArray(kHandWritten).replace("colour=blue\r\n", "colour=blue\r\nName=Org\r\n")},
        WriteCase{"EmptyValueReplaces", "[param]\nName=Old\n", P, N, QString(), "[param]\nName=\n"},
        WriteCase{"FirstOfRepeatedKeysReplaced", "[param]\nbase=/1/\nbase=/2/\n", P, B,
                  QStringLiteral("/3/"), "[param]\nbase=/3/\nbase=/2/\n"},
        WriteCase{"Cp1251Bytes", "<none>", P, N, QStringLiteral("Телефоны"),
                  "[param]\nName=\xD2\xE5\xEB\xE5\xF4\xEE\xED\xFB\n"},
        WriteCase{"LongValueWrittenWhole", "<none>", P, N, QString(3000, u'y'),
                  "[param]\nName=" + QByteArray(3000, 'y') + "\n"}),
    [](const testing::TestParamInfo<WriteCase> &info) { return info.param.name; });

TEST_F(IniFileTest, TheEditorsSaveWritesBaseThenName)
{
    TIniFile ini(path());
    ini.WriteString(P, B, QStringLiteral("/data/"));
    ini.WriteString(P, N, QStringLiteral("Завод"));
    EXPECT_EQ(read(), "[param]\nbase=/data/\nName=\xC7\xE0\xE2\xEE\xE4\n");
    // The viewer reads the editor's "Name" as "name".
    EXPECT_EQ(TIniFile(path()).ReadString(P, QStringLiteral("name"), kDefault), QStringLiteral("Завод"));
}

TEST_F(IniFileTest, AWriteKeepsTheFilesMode)
{
    write("[param]\nbase=/d/\n");
    const QByteArray name = QFile::encodeName(path());
    ASSERT_EQ(::chmod(name.constData(), 0640), 0);
    TIniFile(path()).WriteString(P, B, QStringLiteral("/e/"));
    struct stat st {};
    ASSERT_EQ(::stat(name.constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
}

TEST_F(IniFileTest, AWriteThroughASymbolicLinkReplacesItsTarget)
{
    write("[param]\nbase=/d/\n", "real.ini");
    ASSERT_TRUE(QFile::link(path("real.ini"), path()));
    TIniFile(path()).WriteString(P, B, QStringLiteral("/e/"));
    EXPECT_TRUE(QFileInfo(path()).isSymLink());
    EXPECT_EQ(read("real.ini"), "[param]\nbase=/e/\n");
}

struct FailCase {
    const char *name;
    const char *file; // the path written to, inside the temporary folder
    QString key;
    QString value;
};

void PrintTo(const FailCase &c, std::ostream *os)
{
    *os << c.name;
}

class IniWriteFailTest : public IniFileTest, public testing::WithParamInterface<FailCase>
{
};

TEST_P(IniWriteFailTest, RaisesAndLeavesTheFileAsItWas)
{
    const FailCase &c = GetParam();
    const QByteArray before = "; keep me\n[param]\nbase=/d/\n";
    write(before);
    const QByteArray name = QFile::encodeName(path());
    ASSERT_EQ(::chmod(name.constData(), std::string(c.name) == "ReadOnlyFile" ? 0444 : 0644), 0);
    ASSERT_TRUE(QDir(m_dir.path()).mkdir(QStringLiteral("folder.ini")));
    const QStringList entriesBefore = entries();

    const QString target = path(c.file);
    try {
        TIniFile(target).WriteString(P, c.key, c.value);
        FAIL() << "no error raised";
    } catch (const EIniFileException &e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Unable to write to ") + target);
    }
    EXPECT_EQ(read(), before);
    EXPECT_EQ(entries(), entriesBefore);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, IniWriteFailTest,
    testing::Values(FailCase{"ReadOnlyFile", "fonvik.ini", B, QStringLiteral("/e/")},
                    FailCase{"PathIsAFolder", "folder.ini", B, QStringLiteral("/e/")},
                    FailCase{"MissingFolder", "missing/fonvik.ini", B, QStringLiteral("/e/")},
                    FailCase{"LineBreakInValue", "fonvik.ini", B, QStringLiteral("/e/\n[x]")},
                    FailCase{"CarriageReturnInValue", "fonvik.ini", B, QStringLiteral("/e/\r")},
                    FailCase{"EqualsInKey", "fonvik.ini", QStringLiteral("a=b"), QStringLiteral("1")},
                    FailCase{"EmptyKey", "fonvik.ini", QString(), QStringLiteral("1")}),
    [](const testing::TestParamInfo<FailCase> &info) { return info.param.name; });

TEST_F(IniFileTest, AFileThatCannotBeReadIsNotReplaced)
{
    write("[param]\nbase=/d/\nother=keep\n");
    const QByteArray name = QFile::encodeName(path());
    ASSERT_EQ(::chmod(name.constData(), 0200), 0); // write-only
    EXPECT_THROW(TIniFile(path()).WriteString(P, B, QStringLiteral("/e/")), EIniFileException);
    ASSERT_EQ(::chmod(name.constData(), 0644), 0);
    EXPECT_EQ(read(), "[param]\nbase=/d/\nother=keep\n");
}

} // namespace

#include "engineloader.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "dataset.h"
#include "dbftestutil.h"
#include "exceptions.h"
#include "storefixture.h"

namespace {

QString stubFolder(const char *variant)
{
    return QStringLiteral(STUB_ENGINES_DIR "/") + QLatin1String(variant) + u'/';
}

const QString StartText = QStringLiteral(
    "An error occurred while attempting to initialize the Borland Database Engine (error $%1)");

struct LoadCase
{
    const char *name;
    std::vector<const char *> folders; // stub variants, "missing" for an empty folder
    int code;                          // 0 when the load succeeds
    const char *loadedFrom;            // the variant whose module is used
};

void PrintTo(const LoadCase &c, std::ostream *os) { *os << c.name; }

class LoadTest : public testing::TestWithParam<LoadCase>
{
protected:
    QTemporaryDir m_dir;
};

TEST_P(LoadTest, TriesEachFolderInOrder)
{
    const LoadCase &c = GetParam();
    QStringList folders;
    for (const char *variant : c.folders) {
        if (QByteArray(variant) == "missing") {
            folders << m_dir.path();
        } else if (QByteArray(variant) == "garbage") {
            const QString folder = m_dir.path() + QStringLiteral("/garbage/");
            QDir().mkpath(folder);
            dbftest::writeFile(folder + QStringLiteral("libdbengine.so"), "not a module at all");
            folders << folder;
        } else {
            folders << stubFolder(variant);
        }
    }
    EngineLoader loader(folders);
    if (c.code == 0) {
        EXPECT_NE(loader.Engine(), nullptr);
        EXPECT_TRUE(loader.IsLoaded());
        EXPECT_EQ(loader.ModulePath(), stubFolder(c.loadedFrom) + QStringLiteral("libdbengine.so"));
        return;
    }
    try {
        loader.Engine();
        FAIL() << "the load succeeded";
    } catch (const EDBEngineError &e) {
        EXPECT_EQ(e.Message(), StartText.arg(QString::number(c.code, 16)));
        EXPECT_EQ(e.code(), c.code);
    }
    EXPECT_FALSE(loader.IsLoaded());
}

INSTANTIATE_TEST_SUITE_P(
    Folders, LoadTest,
    testing::Values(
        LoadCase {"NoFolders", {}, 0x2501, nullptr},
        LoadCase {"NoModule", {"missing"}, 0x2501, nullptr},
        LoadCase {"WrongVersion", {"wrongversion"}, 0x2502, nullptr},
        LoadCase {"MissingFunction", {"nosymbol"}, 0x2502, nullptr},
        LoadCase {"NotAModule", {"garbage"}, 0x2502, nullptr},
        LoadCase {"StartFails", {"openfails"}, 0x2503, nullptr},
        LoadCase {"WrongThenMissing", {"wrongversion", "missing"}, 0x2502, nullptr},
        LoadCase {"ConfiguredFirst", {"complete", "wrongversion"}, 0, "complete"},
        LoadCase {"FallsBackToSecond", {"missing", "complete"}, 0, "complete"},
        LoadCase {"SkipsBadModule", {"nosymbol", "complete"}, 0, "complete"}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(EngineLoaderTest, LoadsOnceAndKeepsItsEngine)
{
    EngineLoader loader({stubFolder("complete")});
    dbe_engine *first = loader.Engine();
    EXPECT_EQ(loader.Engine(), first);
}

TEST(EngineLoaderTest, RetriesAfterAFailedLoad)
{
    QTemporaryDir dir;
    EngineLoader loader({dir.path()});
    EXPECT_THROW(loader.Engine(), EDBEngineError);
    loader.SetFolders({stubFolder("complete")});
    EXPECT_NE(loader.Engine(), nullptr);
}

TEST(EngineLoaderTest, EngineMessageLinesEachOnce)
{
    EngineLoader loader({stubFolder("complete")});
    loader.Engine();
    try {
        loader.raiseEngineError(DBE_NOTFOUND);
    } catch (const EDBEngineError &e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Stub engine\nHolds no tables"));
        EXPECT_EQ(e.code(), DBE_NOTFOUND);
    }
}

// A dataset's open reaches the process-wide loader: the start error comes from Open,
// and the dataset stays closed with its statement as set.
TEST(EngineLoaderTest, OpenWithoutEngineRaisesTheStartError)
{
    QTemporaryDir dir;
    EngineLoader::instance().SetFolders({dir.path()});
    TQuery query;
    query.SQL.Add(QStringLiteral("select * from 'TelBase.dbf'"));
    query.SQL.Add(QStringLiteral("ORDER BY FIO"));
    try {
        query.Open();
        FAIL() << "opened without an engine";
    } catch (const EDBEngineError &e) {
        EXPECT_EQ(e.Message(), StartText.arg(QStringLiteral("2501")));
    }
    EXPECT_FALSE(query.Active());
    EXPECT_EQ(query.SQL.Count(), 2);

    TTable table;
    table.SetTableName(dir.path() + QStringLiteral("/Telbase.dbf"));
    EXPECT_THROW(table.Open(), EDBEngineError);
    EXPECT_FALSE(table.Active());
    EXPECT_EQ(table.State(), dsInactive);
}

// ---- The default folders: the configured location, then the program folder's dll/ --------

struct DefaultCase
{
    const char *name;
    const char *configured;   // DLLPATH in the store; null for none
    bool programDllHolds;     // a complete module in the program folder's dll/
    int code;                 // 0: loads
    const char *loadedFrom;   // "stub" or "program"
};

void PrintTo(const DefaultCase &c, std::ostream *os) { *os << c.name; }

class DefaultFoldersTest : public StoreTest, public testing::WithParamInterface<DefaultCase>
{};

TEST_P(DefaultFoldersTest, ConfiguredLocationFirst)
{
    const DefaultCase &c = GetParam();
    const QString stubs = QStringLiteral(STUB_ENGINES_DIR "/");
    if (c.configured) {
        const QString value = QString::fromUtf8(c.configured).replace(QStringLiteral("<stubs>"), stubs);
        writeStore("[SOFTWARE\\Borland\\Database Engine]\nDLLPATH=sz:" + value.toUtf8() + "\\0\n");
    }
    if (c.programDllHolds) {
        QDir().mkpath(programFolder() + QStringLiteral("dll"));
        ASSERT_TRUE(QFile::copy(stubs + QStringLiteral("complete/libdbengine.so"),
                                programFolder() + QStringLiteral("dll/libdbengine.so")));
    }
    EngineLoader loader;
    if (c.code != 0) {
        try {
            loader.Engine();
            FAIL() << "loaded";
        } catch (const EDBEngineError &e) {
            EXPECT_EQ(e.code(), c.code);
        }
        return;
    }
    loader.Engine();
    const QString expected = QByteArray(c.loadedFrom) == "program"
                                 ? programFolder() + QStringLiteral("dll/libdbengine.so")
                                 : stubs + QStringLiteral("complete/libdbengine.so");
    EXPECT_EQ(loader.ModulePath(), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Locations, DefaultFoldersTest,
    testing::Values(
        DefaultCase {"NothingAnywhere", nullptr, false, 0x2501, nullptr},
        DefaultCase {"ProgramFolderOnly", nullptr, true, 0, "program"},
        DefaultCase {"ConfiguredWins", "<stubs>complete/", true, 0, "stub"},
        DefaultCase {"ConfiguredWithoutSeparator", "<stubs>complete", false, 0, "stub"},
        DefaultCase {"ConfiguredEmptyFolderFallsBack", "<stubs>", true, 0, "program"},
        DefaultCase {"ConfiguredWrongVersion", "<stubs>wrongversion/", false, 0x2502, nullptr},
        DefaultCase {"SeveralConfiguredFolders", "<stubs>wrongversion/;<stubs>complete/", false, 0, "stub"}),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace

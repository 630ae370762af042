#pragma once

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "programfolder.h"
#include "registry.h"

// A store file access that can be made to fail, for the error paths that a test running
// as root cannot reach through file permissions.
class FailingStoreAccess : public StoreFileAccess
{
public:
    bool denyWrite = false;
    bool failLoad = false;
    bool failSave = false;
    int loads = 0;
    int saves = 0;

    FileAccess::ReadResult load(const QString &path, QByteArray &bytes) override
    {
        ++loads;
        if (failLoad)
            return FileAccess::ReadResult::Failed;
        return StoreFileAccess::load(path, bytes);
    }
    bool mayWrite(const QString &path) override
    {
        return !denyWrite && StoreFileAccess::mayWrite(path);
    }
    bool save(const QString &path, const QByteArray &bytes) override
    {
        ++saves;
        return !failSave && StoreFileAccess::save(path, bytes);
    }
};

// Each test gets its own store file and program folder in a temporary folder.
class StoreTest : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        setMachineStorePathForTesting(storePath());
        setStoreFileAccessForTesting(&m_access);
        ProgramFolder::setForTesting(programFolder());
    }
    void TearDown() override
    {
        setStoreFileAccessForTesting(nullptr);
        setMachineStorePathForTesting(QString());
        ProgramFolder::setForTesting(QString());
    }

    QString storePath() const { return m_dir.filePath(QStringLiteral("etc/fonvik/machine.reg")); }
    QString programFolder() const { return m_dir.filePath(QStringLiteral("Телефоны/")); }

    void writeStore(const QByteArray &bytes)
    {
        ASSERT_TRUE(StoreFileAccess().save(storePath(), bytes));
    }
    QByteArray readStore() const
    {
        QFile f(storePath());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }

    QTemporaryDir m_dir;
    FailingStoreAccess m_access;
};

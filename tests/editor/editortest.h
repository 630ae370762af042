#pragma once

// The fixture that the editor's GUI tests share: a program folder of its own with the
// settings file and the directory table, the engine location pointing at the built
// engine, the error box and the delete confirmation answered by recorders, and helpers
// that drive the real window like a user.

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include "Unit2.h"
#include "cp1251.h"
#include "dataset.h"
#include "dbgrid.h"
#include "dbgridediting.h"
#include "dbnavigator.h"
#include "engineloader.h"
#include "errorbox.h"
#include "labelededit.h"
#include "messagedlg.h"
#include "programfolder.h"
#include "registry.h"
#include "tinydbf.h"

class EditorTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_folder = m_dir.path() + QLatin1Char('/');
        ProgramFolder::setForTesting(m_folder);
        setMachineStorePathForTesting(m_folder + QStringLiteral("machine.reg"));
        writeStore(QStringLiteral("sz:") + QStringLiteral(FONVIK_ENGINE_DIR) + QStringLiteral("/\\0"));
        // The built engine, wherever the test program lies.
        EngineLoader::instance().SetFolders({QStringLiteral(FONVIK_ENGINE_DIR "/")});
        m_previousErrorBox = setErrorBoxPresenter([this](const QString &, const QString &text) {
            errors.push_back(text.toStdString());
            for (QWidget *w : QApplication::topLevelWidgets())
                if (qobject_cast<TForm1 *>(w) && w->isVisible())
                    errorsWhileShown.push_back(text.toStdString());
        });
        m_previousDlg = setMessageDlgPresenter([this](const MessageDlgRequest &request) {
            confirmations.push_back(request.text.toStdString());
            return confirmAnswer;
        });
    }

    void TearDown() override
    {
        form.reset();
        for (const std::string &path : m_immutable)
            std::system(("chattr -i '" + path + "' 2>/dev/null").c_str());
        setErrorBoxPresenter(m_previousErrorBox);
        setMessageDlgPresenter(m_previousDlg);
        ProgramFolder::setForTesting(QString());
        setMachineStorePathForTesting(QString());
    }

    // The DLLPATH value of the engine location store, as "type:data".
    void writeStore(const QString &value)
    {
        QFile store(m_folder + QStringLiteral("machine.reg"));
        ASSERT_TRUE(store.open(QIODevice::WriteOnly | QIODevice::Truncate));
        store.write("[SOFTWARE\\Borland\\Database Engine]\nDLLPATH=" + value.toUtf8() + "\n");
    }

    std::string tablePath() const { return (m_folder + QStringLiteral("Telbase.dbf")).toStdString(); }
    QString settingsPath() const { return m_folder + QStringLiteral("fonvik.ini"); }

    // Rows of UTF-8 texts, stored in 1251 as the table holds them.
    void writeTable(const std::vector<std::vector<std::string>> &rows,
                    const std::vector<tinydbf::Field> &fields = tinydbf::directoryFields())
    {
        std::vector<std::vector<std::string>> stored;
        for (const auto &row : rows) {
            std::vector<std::string> values;
            for (const std::string &v : row)
                values.push_back(Cp1251::fromUnicode(QString::fromStdString(v)).toStdString());
            stored.push_back(values);
        }
        tinydbf::write(tablePath(), fields, stored);
    }

    // Three entries: Alpha, Bravo, Charlie.
    void writeAbc()
    {
        writeTable({{"Alpha", "Sales", "Head", "101", "201", "3001", "+7901"},
                    {"Bravo", "Sales", "Clerk", "102", "202", "3002", "+7902"},
                    {"Charlie", "Works", "Fitter", "103", "203", "3003", "+7903"}});
    }

    void writeSettings(const QByteArray &text)
    {
        QFile file(settingsPath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(text);
    }

    QByteArray readSettings() const
    {
        QFile file(settingsPath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    // Builds the window (its start-up runs), shows it and makes it the active window.
    void start()
    {
        form = std::make_unique<TForm1>();
        form->show();
        QApplication::setActiveWindow(form.get());
        form->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
        if (!form->DBGrid1->hasFocus())
            form->DBGrid1->setFocus();
        QApplication::processEvents();
    }

    // The live entries in the file, as UTF-8 texts per field.
    std::vector<std::vector<std::string>> fileRows() const
    {
        std::vector<std::vector<std::string>> rows;
        for (const auto &row : tinydbf::liveRows(tablePath())) {
            std::vector<std::string> values;
            for (const std::string &v : row)
                values.push_back(Cp1251::toUnicode(QByteArray::fromStdString(v)).toStdString());
            rows.push_back(values);
        }
        return rows;
    }

    // The first field of each live entry in the file, joined by ",".
    std::string fileNames() const
    {
        std::string out;
        bool first = true;
        for (const auto &row : fileRows()) {
            out += (first ? "" : ",") + row.at(0);
            first = false;
        }
        return out;
    }

    // The first column of each grid row, joined by ",", as the grid shows it.
    std::string gridNames() const
    {
        std::string out;
        TDBGridModel *model = form->DBGrid1->gridModel();
        for (int r = 0; r < model->rowCount(); ++r) {
            out += (r ? "," : "")
                   + model->data(model->index(r, 0), Qt::DisplayRole).toString().toStdString();
        }
        return out;
    }

    // Makes a file read-only, for root too (which writes past permission bits): the
    // immutable attribute where the file system has it. False when neither works.
    bool makeReadOnly(const std::string &path)
    {
        if (::chmod(path.c_str(), 0444) != 0)
            return false;
        if (::geteuid() != 0)
            return true;
        if (std::system(("chattr +i '" + path + "' 2>/dev/null").c_str()) != 0)
            return false;
        m_immutable.push_back(path);
        return true;
    }

    QWidget *focus() const { return QApplication::focusWidget(); }

    void key(Qt::Key k, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        QWidget *target = focus() ? focus() : form->DBGrid1;
        QTest::keyClick(target, k, mods);
    }

    // Types each character as a key press with its text (Cyrillic too).
    void type(const QString &text)
    {
        for (QChar c : text) {
            QWidget *target = focus() ? focus() : form->DBGrid1;
            QTest::sendKeyEvent(QTest::Press, target, Qt::Key_unknown, QString(c), Qt::NoModifier);
            target = focus() ? focus() : form->DBGrid1;
            QTest::sendKeyEvent(QTest::Release, target, Qt::Key_unknown, QString(c), Qt::NoModifier);
        }
    }

    void nav(TNavigateBtn button)
    {
        QTest::mouseClick(form->DBNavigator1->button(button), Qt::LeftButton);
    }

    void clickCell(int row, int column)
    {
        TDBGrid *grid = form->DBGrid1;
        const QRect rect = grid->visualRect(grid->gridModel()->index(row, column));
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::NoModifier, rect.center());
    }

    void clickBox(QLineEdit *box) { QTest::mouseClick(box, Qt::LeftButton); }

    TDataSetState state() const { return form->Table1->State(); }
    TDBGridEditing *editing() const { return form->gridEditing(); }

    std::unique_ptr<TForm1> form;
    std::vector<std::string> errors;
    std::vector<std::string> errorsWhileShown; // shown while the window was visible
    std::vector<std::string> confirmations;
    bool confirmAnswer = true;

private:
    QTemporaryDir m_dir;
    std::vector<std::string> m_immutable;
    QString m_folder;
    ErrorBoxPresenter m_previousErrorBox;
    MessageDlgPresenter m_previousDlg;

protected:
    const QString &folder() const { return m_folder; }
};


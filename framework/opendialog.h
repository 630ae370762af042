#pragma once

#include <functional>

#include <QObject>
#include <QString>

class QWidget;

// The file-open dialog (over QFileDialog). The programs set a filter, a proposed file name
// and options, call Execute and then read FileName.
//
// Filter: "description|pattern[;pattern]" pairs separated by "|", as the framework writes
// them ("База справочника номеров|Telbase.dbf"). Patterns match without regard to case.
class TOpenDialog : public QObject
{
    Q_OBJECT
public:
    enum Option {
        ofHideReadOnly = 0x1,
        ofEnableSizing = 0x2,
        ofPathMustExist = 0x4,
        ofFileMustExist = 0x8,
    };
    Q_DECLARE_FLAGS(Options, Option)

    // What a presenter is shown and what it answers: accepted with a full file path, or
    // not accepted (cancelled).
    struct Request
    {
        QString title;        // empty: the system's default title
        QString initialDir;   // folder the dialog starts in
        QString fileName;     // proposed file name (may be a full path from an earlier choice)
        QString nameFilter;   // Qt form, e.g. "База справочника номеров (Telbase.dbf)"
        Options options;
    };
    struct Answer
    {
        bool accepted = false;
        QString fileName;
    };
    using Presenter = std::function<Answer(const Request &)>;

    explicit TOpenDialog(QObject *parent = nullptr);

    void setFilter(const QString &filter) { m_filter = filter; }
    QString filter() const { return m_filter; }
    void setFileName(const QString &fileName) { m_fileName = fileName; }
    // After a confirmed Execute: the chosen file's full path.
    QString fileName() const { return m_fileName; }
    void setInitialDir(const QString &dir) { m_initialDir = dir; }
    QString initialDir() const { return m_initialDir; }
    void setTitle(const QString &title) { m_title = title; }
    void setOptions(Options options) { m_options = options; }
    Options options() const { return m_options; }

    // Shows the dialog modally. True when the user confirmed a file name; FileName then
    // holds its full path and the next Execute starts from it. False when cancelled:
    // nothing changes.
    bool execute(QWidget *owner = nullptr);

    // The framework filter translated for QFileDialog ("desc (pat1 pat2)" lines).
    static QString toQtNameFilter(const QString &filter);

    // Replaces the presenter for every dialog (tests) and returns the previous one. An
    // empty function restores the real dialog.
    static Presenter setPresenter(Presenter presenter);

private:
    QString m_filter;
    QString m_fileName;
    QString m_initialDir;
    QString m_title;
    Options m_options;
};

Q_DECLARE_OPERATORS_FOR_FLAGS(TOpenDialog::Options)

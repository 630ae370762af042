#pragma once

#include <array>
#include <functional>

#include <QPointer>
#include <QStringList>
#include <QWidget>

class QToolButton;
class TDataSource;
class TDataSet;

enum TNavigateBtn {
    nbFirst,
    nbPrior,
    nbNext,
    nbLast,
    nbInsert,
    nbDelete,
    nbEdit,
    nbPost,
    nbCancel,
    nbRefresh
};

// The navigator bar: one button per action on the current entry of the dataset behind its
// data source, laid side by side in TNavigateBtn order. Buttons never take the keyboard
// focus and act when released; nbPrior and nbNext repeat while held (kRepeatDelayMs, then
// every kRepeatIntervalMs). Each button is enabled by the dataset's state (updateButtons).
// An error raised by an action is shown in the framework's error box.
class TDBNavigator : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kButtonCount = nbRefresh + 1;
    static constexpr int kRepeatDelayMs = 400;
    static constexpr int kRepeatIntervalMs = 100;

    explicit TDBNavigator(QWidget *parent);
    ~TDBNavigator() override;

    // Not owned; may be null (every button disabled).
    void setDataSource(TDataSource *source);
    TDataSource *dataSource() const { return m_source; }

    // Which buttons are shown; the shown ones share the bar's width.
    void setVisibleButtons(const QList<TNavigateBtn> &buttons);
    bool isButtonVisible(TNavigateBtn button) const;

    // Hints in TNavigateBtn order; shown as tool tips.
    void setHints(const QStringList &hints);
    QString hint(TNavigateBtn button) const;

    // Whether nbDelete asks "Delete record?" first (on by default).
    void setConfirmDelete(bool confirm) { m_confirmDelete = confirm; }
    bool confirmDelete() const { return m_confirmDelete; }

    void setBounds(int left, int top, int width, int height);

    // The button of an action (for its state, and for tests that press it).
    QToolButton *button(TNavigateBtn button) const { return m_buttons[button]; }

    // Performs the action of a button as a click does; raises what the dataset raises.
    void btnClick(TNavigateBtn button);

    // Re-reads the dataset's state into the buttons' enabled states.
    void updateButtons();

    // Runs before every action that saves or moves the entry (every one but nbCancel,
    // nbDelete and nbRefresh), so that a grid can hand its open cell editor's text to the
    // entry first. Raising from it stops the action.
    void setBeforeAction(std::function<void(TNavigateBtn)> hook) { m_beforeAction = std::move(hook); }

signals:
    // After an action completed without an error.
    void clicked(TNavigateBtn button);

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void layoutButtons();
    void attach(TDataSet *dataSet);
    void onButtonClicked(TNavigateBtn button);

    std::array<QToolButton *, kButtonCount> m_buttons{};
    std::array<bool, kButtonCount> m_visible{};
    QPointer<TDataSource> m_source;
    QPointer<TDataSet> m_attached;
    QList<QMetaObject::Connection> m_connections;
    QMetaObject::Connection m_sourceConnection;
    std::function<void(TNavigateBtn)> m_beforeAction;
    bool m_confirmDelete = true;
};

#include "dbnavigator.h"

#include <QToolButton>

#include "dataset.h"
#include "errorbox.h"
#include "messagedlg.h"
#include "navigatorglyphs.h"

namespace {

constexpr NavigatorGlyphs::Kind kGlyphOf[TDBNavigator::kButtonCount] = {
    NavigatorGlyphs::First,  NavigatorGlyphs::Prior, NavigatorGlyphs::Next,
    NavigatorGlyphs::Last,   NavigatorGlyphs::Insert, NavigatorGlyphs::Delete,
    NavigatorGlyphs::Edit,   NavigatorGlyphs::Post,  NavigatorGlyphs::Cancel,
    NavigatorGlyphs::Refresh};

bool editing(const TDataSet *dataSet)
{
    return dataSet->State() == dsEdit || dataSet->State() == dsInsert;
}

} // namespace

TDBNavigator::TDBNavigator(QWidget *parent) : QWidget(parent)
{
    setFocusPolicy(Qt::NoFocus);
    for (int i = 0; i < kButtonCount; ++i) {
        const auto which = TNavigateBtn(i);
        auto *button = new QToolButton(this);
        button->setFocusPolicy(Qt::NoFocus);
        button->setAutoRaise(false);
        button->setIcon(QIcon(NavigatorGlyphs::glyph(kGlyphOf[i])));
        button->setIconSize(QSize(NavigatorGlyphs::kSize, NavigatorGlyphs::kSize));
        if (which == nbPrior || which == nbNext) {
            button->setAutoRepeat(true);
            button->setAutoRepeatDelay(kRepeatDelayMs);
            button->setAutoRepeatInterval(kRepeatIntervalMs);
        }
        connect(button, &QToolButton::clicked, this, [this, which] { onButtonClicked(which); });
        m_buttons[i] = button;
        m_visible[i] = true;
    }
    layoutButtons();
    updateButtons();
}

TDBNavigator::~TDBNavigator() = default;

void TDBNavigator::setDataSource(TDataSource *source)
{
    disconnect(m_sourceConnection);
    m_source = source;
    if (m_source) {
        m_sourceConnection = connect(m_source, &TDataSource::DataSetChanged, this,
                                     [this] { attach(m_source ? m_source->DataSet() : nullptr); });
    }
    attach(m_source ? m_source->DataSet() : nullptr);
}

void TDBNavigator::attach(TDataSet *dataSet)
{
    for (const auto &connection : m_connections)
        disconnect(connection);
    m_connections.clear();
    m_attached = dataSet;
    if (dataSet) {
        for (auto signal : {&TDataSet::StateChanged, &TDataSet::DataChanged,
                            &TDataSet::RowsChanged, &TDataSet::CurrentChanged})
            m_connections << connect(dataSet, signal, this, &TDBNavigator::updateButtons);
    }
    updateButtons();
}

void TDBNavigator::setVisibleButtons(const QList<TNavigateBtn> &buttons)
{
    for (int i = 0; i < kButtonCount; ++i)
        m_visible[i] = buttons.contains(TNavigateBtn(i));
    layoutButtons();
}

bool TDBNavigator::isButtonVisible(TNavigateBtn button) const
{
    return m_visible[button];
}

void TDBNavigator::setHints(const QStringList &hints)
{
    for (int i = 0; i < kButtonCount; ++i)
        m_buttons[i]->setToolTip(i < hints.size() ? hints.at(i) : QString());
}

QString TDBNavigator::hint(TNavigateBtn button) const
{
    return m_buttons[button]->toolTip();
}

void TDBNavigator::setBounds(int left, int top, int width, int height)
{
    setGeometry(left, top, width, height);
    layoutButtons();
}

void TDBNavigator::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    layoutButtons();
}

void TDBNavigator::layoutButtons()
{
    int shown = 0;
    for (bool visible : m_visible)
        shown += visible ? 1 : 0;
    if (shown == 0)
        return;
    // The shown buttons share the width; what does not divide evenly goes to the first ones,
    // so the bar is filled edge to edge.
    const int each = width() / shown;
    int extra = width() - each * shown;
    int x = 0;
    for (int i = 0; i < kButtonCount; ++i) {
        m_buttons[i]->setVisible(m_visible[i]);
        if (!m_visible[i])
            continue;
        const int w = each + (extra > 0 ? 1 : 0);
        if (extra > 0)
            --extra;
        m_buttons[i]->setGeometry(x, 0, w, height());
        x += w;
    }
}

void TDBNavigator::updateButtons()
{
    TDataSet *dataSet = m_attached;
    const bool active = dataSet && dataSet->Active();
    const bool canModify = active && dataSet->CanModify();
    const bool inEdit = active && editing(dataSet);
    const bool upEnabled = active && !dataSet->Bof();
    const bool downEnabled = active && !dataSet->Eof();
    const bool hasEntries = active && !(dataSet->Bof() && dataSet->Eof() && !inEdit)
                            && (inEdit || !dataSet->IsEmpty());
    m_buttons[nbFirst]->setEnabled(upEnabled);
    m_buttons[nbPrior]->setEnabled(upEnabled);
    m_buttons[nbNext]->setEnabled(downEnabled);
    m_buttons[nbLast]->setEnabled(downEnabled);
    m_buttons[nbInsert]->setEnabled(canModify);
    m_buttons[nbDelete]->setEnabled(canModify && hasEntries);
    m_buttons[nbEdit]->setEnabled(canModify && !inEdit);
    m_buttons[nbPost]->setEnabled(canModify && inEdit);
    m_buttons[nbCancel]->setEnabled(canModify && inEdit);
    m_buttons[nbRefresh]->setEnabled(active);
}

void TDBNavigator::onButtonClicked(TNavigateBtn button)
{
    // A repeat that fires after the move disabled the button does nothing more.
    if (!m_buttons[button]->isEnabled())
        return;
    Handle([&] { btnClick(button); });
}

void TDBNavigator::btnClick(TNavigateBtn button)
{
    TDataSet *dataSet = m_attached;
    if (!dataSet || !dataSet->Active())
        return;
    if (m_beforeAction && button != nbCancel && button != nbDelete && button != nbRefresh)
        m_beforeAction(button);
    switch (button) {
    case nbFirst: dataSet->First(); break;
    case nbPrior: dataSet->Prior(); break;
    case nbNext: dataSet->Next(); break;
    case nbLast: dataSet->Last(); break;
    case nbInsert: dataSet->Insert(); break;
    case nbDelete:
        if (m_confirmDelete && !ConfirmDeleteRecord())
            return;
        dataSet->Delete();
        break;
    case nbEdit:
        // On an empty table there is nothing to edit: a new entry is started instead.
        if (dataSet->IsEmpty())
            dataSet->Insert();
        else
            dataSet->Edit();
        break;
    case nbPost: dataSet->Post(); break;
    case nbCancel: dataSet->Cancel(); break;
    case nbRefresh: break;
    }
    updateButtons();
    emit clicked(button);
}

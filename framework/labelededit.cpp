#include "labelededit.h"

#include <QEvent>
#include <QLabel>

TLabeledEdit::TLabeledEdit(QWidget *parent) : QLineEdit(parent), m_label(new QLabel(parent))
{
    m_label->setBuddy(this);
    m_label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    placeLabel();
}

TLabeledEdit::~TLabeledEdit()
{
    // The parent owns the label; it goes with the box when the box goes first.
    delete m_label.data();
}

void TLabeledEdit::setLabelCaption(const QString &caption)
{
    m_label->setText(caption);
    placeLabel();
}

QString TLabeledEdit::labelCaption() const
{
    return m_label->text();
}

void TLabeledEdit::setLabelSpacing(int pixels)
{
    m_spacing = pixels;
    placeLabel();
}

void TLabeledEdit::setBounds(int left, int top, int width, int height)
{
    setGeometry(left, top, width, height);
    placeLabel();
}

void TLabeledEdit::moveEvent(QMoveEvent *event)
{
    QLineEdit::moveEvent(event);
    placeLabel();
}

void TLabeledEdit::showEvent(QShowEvent *event)
{
    QLineEdit::showEvent(event);
    // A hidden box gets its move events only when shown.
    placeLabel();
    if (m_label)
        m_label->show();
}

void TLabeledEdit::hideEvent(QHideEvent *event)
{
    QLineEdit::hideEvent(event);
    if (m_label && !isVisible())
        m_label->hide();
}

void TLabeledEdit::changeEvent(QEvent *event)
{
    QLineEdit::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        placeLabel();
    if (event->type() == QEvent::EnabledChange && m_label)
        m_label->setEnabled(isEnabled());
}

void TLabeledEdit::placeLabel()
{
    if (!m_label)
        return;
    m_label->setFont(font());
    const QFontMetrics metrics(m_label->font());
    const int height = metrics.height();
    const int width = metrics.horizontalAdvance(m_label->text());
    m_label->setGeometry(x(), y() - height - m_spacing, width, height);
}

#include "stdctrls.h"

#include <QBitmap>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QPainter>
#include <QStyleOptionButton>
#include <QStylePainter>

#include "forms.h"
#include "handlers.h"

TKeyCode VirtualKeyCode(const QKeyEvent *event)
{
    const int key = event->key();
    if (key >= Qt::Key_A && key <= Qt::Key_Z)
        return TKeyCode(key); // Qt's letter keys are their ASCII capitals
    if (key >= Qt::Key_0 && key <= Qt::Key_9)
        return TKeyCode(key);
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24)
        return TKeyCode(VirtualKey::F1 + (key - Qt::Key_F1));
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return VirtualKey::Return;
    case Qt::Key_Backspace:
        return VirtualKey::Back;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return VirtualKey::Tab;
    case Qt::Key_Shift:
        return VirtualKey::Shift;
    case Qt::Key_Control:
        return VirtualKey::Control;
    case Qt::Key_Alt:
        return VirtualKey::Menu;
    case Qt::Key_Escape:
        return VirtualKey::Escape;
    case Qt::Key_Space:
        return VirtualKey::Space;
    case Qt::Key_PageUp:
        return VirtualKey::Prior;
    case Qt::Key_PageDown:
        return VirtualKey::Next;
    case Qt::Key_End:
        return VirtualKey::End;
    case Qt::Key_Home:
        return VirtualKey::Home;
    case Qt::Key_Left:
        return VirtualKey::Left;
    case Qt::Key_Up:
        return VirtualKey::Up;
    case Qt::Key_Right:
        return VirtualKey::Right;
    case Qt::Key_Down:
        return VirtualKey::Down;
    case Qt::Key_Insert:
        return VirtualKey::Insert;
    case Qt::Key_Delete:
        return VirtualKey::Delete;
    default:
        return 0;
    }
}

TShiftState ShiftStateOf(Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons)
{
    TShiftState state = 0;
    if (modifiers & Qt::ShiftModifier)
        state |= ssShift;
    if (modifiers & Qt::AltModifier)
        state |= ssAlt;
    if (modifiers & Qt::ControlModifier)
        state |= ssCtrl;
    if (buttons & Qt::LeftButton)
        state |= ssLeft;
    if (buttons & Qt::RightButton)
        state |= ssRight;
    if (buttons & Qt::MiddleButton)
        state |= ssMiddle;
    return state;
}

// ---- TEdit ------------------------------------------------------------------------

namespace {

constexpr char kBackspaceChar = 8;
constexpr char kEnterChar = 13;

// The character a key press types, in code page 1251, or nothing for a key press that
// types no character (navigation, shortcuts, text outside the code page's letters is
// offered as '?', as the 8-bit box would receive it).
std::optional<char> TypedCharacter(const QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Backspace:
        return kBackspaceChar;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return kEnterChar;
    default:
        break;
    }
    if (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return std::nullopt;
    const QString text = event->text();
    if (text.size() != 1 || !text.at(0).isPrint())
        return std::nullopt;
    const QChar c = text.at(0);
    if (c.unicode() < 0x80)
        return char(c.unicode());
    return Cp1251Char(c);
}

} // namespace

TEdit::TEdit(QWidget *parent) : QLineEdit(parent)
{
    setFrame(true);
}

void TEdit::keyPressEvent(QKeyEvent *event)
{
    if (OnKeyPress) {
        if (const std::optional<char> typed = TypedCharacter(event)) {
            char key = *typed;
            if (!RunHandler([&] { OnKeyPress(this, key); })) {
                event->accept();
                return;
            }
            if (key == 0) {
                event->accept();
                return;
            }
            if (key != *typed) {
                // The handler typed another character in place of the one pressed.
                if (key == kBackspaceChar)
                    backspace();
                else if (key != kEnterChar)
                    insert(QString(Cp1251ToChar(key)));
                event->accept();
                return;
            }
        }
    }
    QLineEdit::keyPressEvent(event);
}

void TEdit::keyReleaseEvent(QKeyEvent *event)
{
    if (event->isAutoRepeat()) {
        event->accept();
        return;
    }
    if (OnKeyUp) {
        TKeyCode key = VirtualKeyCode(event);
        const TShiftState shift = ShiftStateOf(event->modifiers());
        RunHandler([&] { OnKeyUp(this, key, shift); });
        event->accept();
        return;
    }
    QLineEdit::keyReleaseEvent(event);
}

// ---- TLabel -----------------------------------------------------------------------

TLabel::TLabel(QWidget *parent) : QLabel(parent)
{
    setTextFormat(Qt::PlainText);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

void TLabel::fitToText()
{
    const QFontMetrics fm(font());
    m_lines.clear();
    const QString source = text();
    if (!m_wordWrap) {
        m_lines = source.split(QLatin1Char('\n'));
    } else {
        const int limit = width();
        for (const QString &paragraph : source.split(QLatin1Char('\n'))) {
            QString line;
            for (const QString &word : paragraph.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
                const QString candidate = line.isEmpty() ? word : line + QLatin1Char(' ') + word;
                if (!line.isEmpty() && fm.horizontalAdvance(candidate) > limit) {
                    m_lines << line;
                    line = word;
                } else {
                    line = candidate;
                }
            }
            m_lines << line;
        }
        QLabel::setText(m_lines.join(QLatin1Char('\n')));
    }
    int widest = 0;
    for (const QString &line : std::as_const(m_lines))
        widest = std::max(widest, fm.horizontalAdvance(line));
    resize(widest, fm.height() * int(m_lines.size()));
}

void TLabel::mouseReleaseEvent(QMouseEvent *event)
{
    QLabel::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()) &&
        OnClick)
        RunHandler([&] { OnClick(this); });
}

// ---- TButton ----------------------------------------------------------------------

TButton::TButton(QWidget *parent) : QPushButton(parent)
{
    setAutoDefault(false);
    setDefault(false);
    connect(this, &QPushButton::clicked, this, [this] {
        if (OnClick && !RunHandler([this] { OnClick(this); }))
            return;
        if (m_modalResult != 0) {
            if (TForm *form = ParentForm(this))
                form->setModalResult(m_modalResult);
        }
    });
}

void TButton::keyPressEvent(QKeyEvent *event)
{
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
        !event->isAutoRepeat()) {
        event->accept();
        click();
        return;
    }
    QPushButton::keyPressEvent(event);
}

// ---- TSpeedButton -----------------------------------------------------------------

QPixmap TransparentFromCorner(const QPixmap &picture)
{
    if (picture.isNull())
        return picture;
    QImage image = picture.toImage().convertToFormat(QImage::Format_ARGB32);
    const QRgb key = image.pixel(0, image.height() - 1);
    for (int y = 0; y < image.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if (line[x] == key)
                line[x] = qRgba(0, 0, 0, 0);
        }
    }
    return QPixmap::fromImage(image);
}

TSpeedButton::TSpeedButton(QWidget *parent) : QAbstractButton(parent)
{
    setFocusPolicy(Qt::NoFocus);
    connect(this, &QAbstractButton::clicked, this, [this] {
        if (OnClick)
            RunHandler([this] { OnClick(this); });
    });
}

void TSpeedButton::setGlyph(const QPixmap &glyph, bool transparentFromCorner)
{
    m_glyph = transparentFromCorner ? TransparentFromCorner(glyph) : glyph;
    update();
}

QSize TSpeedButton::sizeHint() const
{
    return QSize(23, 22);
}

void TSpeedButton::paintEvent(QPaintEvent *)
{
    QStylePainter painter(this);
    QStyleOptionButton option;
    option.initFrom(this);
    option.state |= isDown() ? QStyle::State_Sunken : QStyle::State_Raised;
    option.features = QStyleOptionButton::None;
    painter.drawControl(QStyle::CE_PushButtonBevel, option);
    if (!m_glyph.isNull()) {
        const QSize size = m_glyph.deviceIndependentSize().toSize();
        QPoint at((width() - size.width()) / 2, (height() - size.height()) / 2);
        if (isDown())
            at += QPoint(1, 1);
        painter.drawPixmap(at, m_glyph);
    }
}

// ---- TImage -----------------------------------------------------------------------

TImage::TImage(QWidget *parent) : QLabel(parent)
{
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

void TImage::setPicture(const QPixmap &picture, bool autoSize)
{
    setPixmap(picture);
    if (autoSize)
        resize(picture.deviceIndependentSize().toSize());
}

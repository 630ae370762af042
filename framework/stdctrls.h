#pragma once

#include <functional>

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>

class QKeyEvent;

// Virtual-key codes of the keys the handlers look at, as the key events report them.
using TKeyCode = quint16;
namespace VirtualKey {
constexpr TKeyCode Back = 8;
constexpr TKeyCode Tab = 9;
constexpr TKeyCode Return = 13;
constexpr TKeyCode Shift = 16;
constexpr TKeyCode Control = 17;
constexpr TKeyCode Menu = 18; // Alt
constexpr TKeyCode Escape = 27;
constexpr TKeyCode Space = 32;
constexpr TKeyCode Prior = 33;
constexpr TKeyCode Next = 34;
constexpr TKeyCode End = 35;
constexpr TKeyCode Home = 36;
constexpr TKeyCode Left = 37;
constexpr TKeyCode Up = 38;
constexpr TKeyCode Right = 39;
constexpr TKeyCode Down = 40;
constexpr TKeyCode Insert = 45;
constexpr TKeyCode Delete = 46;
constexpr TKeyCode F1 = 0x70;
} // namespace VirtualKey

// The virtual-key code of a key event: Enter on either keyboard part gives Return,
// letters their capital, digits their digit; 0 for a key without a code.
TKeyCode VirtualKeyCode(const QKeyEvent *event);

// Shift state of a key or mouse event.
enum TShiftFlag : unsigned {
    ssShift = 1u << 0,
    ssAlt = 1u << 1,
    ssCtrl = 1u << 2,
    ssLeft = 1u << 3,
    ssRight = 1u << 4,
    ssMiddle = 1u << 5,
};
using TShiftState = unsigned;
TShiftState ShiftStateOf(Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons = {});

// Handler signatures. sender is the control that raised the event.
using TNotifyEvent = std::function<void(QObject *sender)>;
// key is the released key's virtual-key code; a handler may change it.
using TKeyEvent = std::function<void(QObject *sender, TKeyCode &key, TShiftState shift)>;
// key is the typed character in code page 1251; setting it to 0 discards it.
using TKeyPressEvent = std::function<void(QObject *sender, char &key)>;

// A one-line text box. Its key events follow the rules the forms' handlers are written
// for:
// - OnKeyUp comes once per key release in the box with the focus, whatever modifiers are
//   held; the releases that a held-down key repeats are not reported, so holding a key
//   gives one OnKeyUp, when it is let go.
// - OnKeyPress comes for each character typed into the box, before the box receives it:
//   printable characters, Backspace (8) and Enter (13). Shortcuts (Ctrl or Alt with a
//   key: copy, paste, ...) are not typed characters. A character that the handler sets to
//   0 never reaches the box. Text that arrives otherwise (paste, setText) is not offered.
// A handler's exception goes to the framework's error box; the event is then consumed.
class TEdit : public QLineEdit
{
    Q_OBJECT
public:
    explicit TEdit(QWidget *parent = nullptr);

    TKeyEvent OnKeyUp;
    TKeyPressEvent OnKeyPress;

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
};

// A static text. With autoSize on, it fits itself to its text; with word wrap on as
// well, the width it has when setAutoSize is called is the limit for wrapping at word
// boundaries, and it then takes the width of its widest wrapped line.
class TLabel : public QLabel
{
    Q_OBJECT
public:
    explicit TLabel(QWidget *parent = nullptr);

    void setWordWrapping(bool on) { m_wordWrap = on; }
    // Fits the label to its text (see the class comment). Call after text and font are set.
    void fitToText();
    // The lines the text is wrapped into by fitToText.
    QStringList wrappedLines() const { return m_lines; }

    TNotifyEvent OnClick;

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    bool m_wordWrap = false;
    QStringList m_lines;
};

// A push button. Enter and Space press it while it has the focus; it is never a
// window's default or cancel button. Its modalResult, when not mrNone, ends the modal
// showing of its form with that result when clicked.
class TButton : public QPushButton
{
    Q_OBJECT
public:
    explicit TButton(QWidget *parent = nullptr);

    void setModalResult(int result) { m_modalResult = result; }
    int modalResult() const { return m_modalResult; }

    TNotifyEvent OnClick;

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    int m_modalResult = 0;
};

// A push button that may carry a picture beside its caption.
class TBitBtn : public TButton
{
    Q_OBJECT
public:
    using TButton::TButton;
};

// A picture button with the raised look of a push button. It never takes the keyboard
// focus and has no place in the tab order; it acts on mouse clicks only.
class TSpeedButton : public QAbstractButton
{
    Q_OBJECT
public:
    explicit TSpeedButton(QWidget *parent = nullptr);

    // The picture, drawn centred. With transparentFromCorner, every pixel of the colour of
    // the picture's lower-left pixel is drawn transparent.
    void setGlyph(const QPixmap &glyph, bool transparentFromCorner = true);
    QPixmap glyph() const { return m_glyph; }

    TNotifyEvent OnClick;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QPixmap m_glyph;
};

// A picture. With autoSize on, it takes the size of its picture.
class TImage : public QLabel
{
    Q_OBJECT
public:
    explicit TImage(QWidget *parent = nullptr);
    void setPicture(const QPixmap &picture, bool autoSize = true);
};

// A picture with the lower-left pixel's colour made transparent.
QPixmap TransparentFromCorner(const QPixmap &picture);

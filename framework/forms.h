#pragma once

#include <QFont>
#include <QString>
#include <QWidget>

class QEventLoop;

// Modal results, as the push buttons of a window hand them to its modal showing.
enum TModalResult : int {
    mrNone = 0,
    mrOk = 1,
    mrCancel = 2,
};

// The window frames the layouts are made for.
enum class TBorderStyle {
    bsSingle, // caption bar, fixed size, system menu and minimize only
    bsDialog, // caption bar, fixed size, no caption buttons at all
};

// Installs what every window of the programs relies on: the fixed font with its
// substitutes that carry Cyrillic glyphs, and one widget style. Idempotent; TForm's
// constructor calls it, so a program (or a test) needs no set-up of its own.
void InitializeFramework();

// The window font: "MS Sans Serif" (substituted on Linux) at `pixelHeight` pixels,
// regular. Pixel sizes are not scaled to the screen's text size.
QFont FormFont(int pixelHeight = 11);

// The base of every window. Layouts are fixed data in pixels: the client area has a fixed
// size, the window opens where it was laid out (not centred), the background is the
// button-face colour and the font is FormFont(). A form is a top-level widget that owns
// its controls through Qt parenthood.
class TForm : public QWidget
{
    Q_OBJECT
public:
    explicit TForm(QWidget *parent = nullptr);
    ~TForm() override;

    // Frame and caption buttons; bsSingle by default.
    void setBorderStyle(TBorderStyle style);
    TBorderStyle borderStyle() const { return m_borderStyle; }

    // Caption (the window title).
    void setCaption(const QString &caption) { setWindowTitle(caption); }
    QString caption() const { return windowTitle(); }

    // The client area's size in pixels; the user cannot change it.
    void setClientSize(int width, int height);
    int clientWidth() const { return width(); }
    int clientHeight() const { return height(); }

    // The outer top-left corner on the screen.
    void setPosition(int left, int top);

    // The outer width, frame included, as the layouts count it: the client width plus the
    // frame of the border style. Setting it changes the client width accordingly.
    int outerWidth() const;
    void setOuterWidth(int width);
    // Frame thickness on each side for a border style, in pixels.
    static int frameWidth(TBorderStyle style);

    // Shows the window modal to the whole program and returns when a control set a
    // modal result (see setModalResult) or the window was closed (then mrCancel). The
    // window is hidden again on return.
    int showModal();
    // Ends a running modal showing with `result`; mrNone does nothing.
    void setModalResult(int result);
    int modalResult() const { return m_modalResult; }

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void applyWindowFlags();

    TBorderStyle m_borderStyle = TBorderStyle::bsSingle;
    int m_modalResult = mrNone;
    QEventLoop *m_modalLoop = nullptr;
};

// The form that a control lies on, or nullptr.
TForm *ParentForm(const QWidget *control);

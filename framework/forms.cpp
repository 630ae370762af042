#include "forms.h"

#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QPalette>
#include <QPointer>
#include <QStyleFactory>

namespace {

// The layouts name the classic Windows faces; these carry Cyrillic glyphs on Linux.
constexpr const char *kSansFace = "MS Sans Serif";
constexpr const char *kSerifFace = "Times New Roman";
const QStringList kSansSubstitutes = {"Liberation Sans", "DejaVu Sans"};
const QStringList kSerifSubstitutes = {"Liberation Serif", "DejaVu Serif"};

// Frame thickness of the fixed borders at 96 pixels per inch.
constexpr int kSingleFrame = 3;
constexpr int kDialogFrame = 3;

} // namespace

void InitializeFramework()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    QFont::insertSubstitutions(QString::fromLatin1(kSansFace), kSansSubstitutes);
    QFont::insertSubstitutions(QString::fromLatin1(kSerifFace), kSerifSubstitutes);
    // One style everywhere, so that every desktop draws the layouts alike.
    if (qApp)
        QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
}

QFont FormFont(int pixelHeight)
{
    QFont font(QString::fromLatin1(kSansFace));
    font.setPixelSize(pixelHeight);
    font.setWeight(QFont::Normal);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

TForm::TForm(QWidget *parent) : QWidget(parent, Qt::Window)
{
    InitializeFramework();
    setFont(FormFont());
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QApplication::palette().color(QPalette::Button));
    setPalette(pal);
    setAutoFillBackground(true);
    applyWindowFlags();
}

TForm::~TForm() = default;

void TForm::setBorderStyle(TBorderStyle style)
{
    m_borderStyle = style;
    applyWindowFlags();
}

void TForm::applyWindowFlags()
{
    Qt::WindowFlags flags = Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                            Qt::MSWindowsFixedSizeDialogHint;
    if (m_borderStyle == TBorderStyle::bsSingle)
        flags |= Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                 Qt::WindowCloseButtonHint;
    else
        flags = (flags & ~Qt::Window) | Qt::Dialog;
    const bool visible = isVisible();
    setWindowFlags(flags);
    if (visible)
        show();
}

void TForm::setClientSize(int width, int height)
{
    setFixedSize(width, height);
}

void TForm::setPosition(int left, int top)
{
    // For a top-level widget, move() places the frame's outer corner.
    move(left, top);
}

int TForm::frameWidth(TBorderStyle style)
{
    return style == TBorderStyle::bsDialog ? kDialogFrame : kSingleFrame;
}

int TForm::outerWidth() const
{
    return width() + 2 * frameWidth(m_borderStyle);
}

void TForm::setOuterWidth(int width)
{
    setFixedWidth(width - 2 * frameWidth(m_borderStyle));
}

int TForm::showModal()
{
    m_modalResult = mrNone;
    setWindowModality(Qt::ApplicationModal);
    show();
    raise();
    activateWindow();
    QPointer<TForm> self(this);
    QEventLoop loop;
    m_modalLoop = &loop;
    loop.exec(QEventLoop::DialogExec);
    if (!self)
        return mrCancel;
    m_modalLoop = nullptr;
    hide();
    setWindowModality(Qt::NonModal);
    return m_modalResult;
}

void TForm::setModalResult(int result)
{
    m_modalResult = result;
    if (result != mrNone && m_modalLoop)
        m_modalLoop->quit();
}

void TForm::closeEvent(QCloseEvent *event)
{
    if (m_modalLoop) {
        // Closing a modal window ends its showing as a cancel; the window stays alive.
        event->ignore();
        setModalResult(mrCancel);
        return;
    }
    QWidget::closeEvent(event);
}

TForm *ParentForm(const QWidget *control)
{
    for (QWidget *w = control ? control->window() : nullptr; w; w = w->parentWidget()) {
        if (auto *form = qobject_cast<TForm *>(w))
            return form;
    }
    return nullptr;
}

#include "about.h"

#include <cmath>

#include <QDesktopServices>
#include <QPixmap>

namespace {

const QString kMakerMail = QStringLiteral("fonvik@telbase.example");
const QString kMakerWeb = QStringLiteral("https://www.telbase.example/");

TLinkOpener &linkOpener()
{
    static TLinkOpener opener = [](const QUrl &url) { return QDesktopServices::openUrl(url); };
    return opener;
}

QFont labelFont(int pixels, const QColor &, bool underline = false)
{
    QFont font = FormFont(pixels);
    font.setBold(true);
    font.setUnderline(underline);
    return font;
}

void setTextColour(QWidget *w, const QColor &colour)
{
    QPalette pal = w->palette();
    pal.setColor(QPalette::WindowText, colour);
    w->setPalette(pal);
}

} // namespace

TAboutBox *AboutBox = nullptr;

TLinkOpener SetLinkOpener(TLinkOpener opener)
{
    TLinkOpener previous = std::move(linkOpener());
    linkOpener() = std::move(opener);
    return previous;
}

int CentredButtonLeft(int outerWidth, int buttonWidth)
{
    // The default floating-point rounding mode rounds a half to the even neighbour.
    return int(std::nearbyint((outerWidth - buttonWidth) / 2.0));
}

QUrl TAboutBox::mailLink()
{
    return QUrl(QStringLiteral("mailto:") + kMakerMail);
}

QUrl TAboutBox::webLink()
{
    return QUrl(kMakerWeb);
}

TAboutBox::TAboutBox(QWidget *parent) : TForm(parent)
{
    // The layout.
    setCaption(QStringLiteral("О программе..."));
    setBorderStyle(TBorderStyle::bsDialog);
    setClientSize(232, 171);
    setPosition(290, 188);
    setWindowIcon(QIcon(QStringLiteral(":/viewer/fonvik.png")));

    Image1 = new TImage(this);
    Image1->move(0, 0);
    Image1->resize(71, 71);
    Image1->setPicture(QPixmap(QStringLiteral(":/viewer/logo.jpg")));

    Label1 = new TLabel(this);
    Label1->setGeometry(76, 0, 149, 39);
    Label1->setFont(labelFont(12, Qt::red));
    setTextColour(Label1, Qt::red);
    Label1->setText(QStringLiteral("Телефонный справочник организации"));
    Label1->setWordWrapping(true);
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);

    Label2 = new TLabel(this);
    Label2->setGeometry(88, 40, 92, 20);
    Label2->setFont(labelFont(16, Qt::blue));
    setTextColour(Label2, Qt::blue);
    Label2->setText(QStringLiteral("Версия 1.0"));

    Label3 = new TLabel(this);
    Label3->setGeometry(3, 72, 176, 13);
    Label3->setFont(labelFont(12, Qt::black));
    Label3->setText(QStringLiteral("© Telbase, 2026"));

    Label4 = new TLabel(this);
    Label4->setGeometry(3, 96, 192, 16);
    Label4->setFont(labelFont(15, Qt::blue, true));
    setTextColour(Label4, Qt::blue);
    Label4->setText(QStringLiteral("E-mail: ") + kMakerMail);
    Label4->setCursor(Qt::PointingHandCursor);

    Label5 = new TLabel(this);
    Label5->setGeometry(4, 117, 118, 15);
    QFont webFont(QStringLiteral("Times New Roman"));
    webFont.setPixelSize(12);
    webFont.setBold(true);
    webFont.setUnderline(true);
    Label5->setFont(webFont);
    setTextColour(Label5, Qt::blue);
    Label5->setText(kMakerWeb);
    Label5->setCursor(Qt::PointingHandCursor);

    Button1 = new TButton(this);
    Button1->setGeometry(72, 141, 75, 25);
    QFont buttonFont = FormFont(15);
    buttonFont.setBold(true);
    Button1->setFont(buttonFont);
    Button1->setText(QStringLiteral("Ok"));
    Button1->setModalResult(mrOk);
    Button1->setFocusPolicy(Qt::StrongFocus);

    // Every label fits itself to its text once the window is loaded.
    for (TLabel *label : {Label1, Label2, Label3, Label4, Label5}) {
        label->setFocusPolicy(Qt::NoFocus);
        label->fitToText();
    }
    Image1->setFocusPolicy(Qt::NoFocus);
    setFocusProxy(Button1);
    Button1->setFocus();

    Label4->OnClick = [this](QObject *sender) { Label4Click(sender); };
    Label5->OnClick = [this](QObject *sender) { Label5Click(sender); };

    FormCreate(this);
}

void TAboutBox::FormCreate(QObject *)
{
    // This window is the program's AboutBox (the program creates only one).
    setOuterWidth(Label1->x() + Label1->width() + 20);
    Button1->move(CentredButtonLeft(outerWidth(), Button1->width()), Button1->y());
}

void TAboutBox::Label4Click(QObject *)
{
    // The desktop's answer is not looked at: a link that cannot be opened changes nothing.
    linkOpener()(mailLink());
}

void TAboutBox::Label5Click(QObject *)
{
    linkOpener()(webLink());
}

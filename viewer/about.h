#pragma once

#include <QUrl>

#include "forms.h"
#include "stdctrls.h"

// The viewer's About window: the program's name and version, the maker's notice and two
// links (a mail message to the maker, the maker's web address). Created once, hidden, and
// shown modally by the main window's About button; Button1 closes it with mrOk.
class TAboutBox : public TForm
{
    Q_OBJECT
public:
    explicit TAboutBox(QWidget *parent = nullptr);

    TImage *Image1;
    TLabel *Label1;
    TLabel *Label2;
    TLabel *Label3;
    TLabel *Label4;
    TLabel *Label5;
    TButton *Button1;

    void FormCreate(QObject *sender);
    void Label4Click(QObject *sender);
    void Label5Click(QObject *sender);

    // The maker's addresses that the two links open.
    static QUrl mailLink();
    static QUrl webLink();
};

// How the links reach the desktop. Replaceable, so tests record the links instead of
// starting a mail program or a browser. Returns the previous opener.
using TLinkOpener = std::function<bool(const QUrl &)>;
TLinkOpener SetLinkOpener(TLinkOpener opener);

// round((outerWidth - buttonWidth) / 2) with a half going to the even neighbour, as the
// About window centres its button.
int CentredButtonLeft(int outerWidth, int buttonWidth);

// The program's About window, set by the program start (nullptr before).
extern TAboutBox *AboutBox;

#pragma once

#include <functional>

#include <QString>

// The platform's message dialog, as far as the programs use it: a modal question box whose
// answer decides whether an action goes on. The delete confirmation of the data grid and of
// the navigator is the one use.

enum TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation };

// What a presenter is asked to show. The buttons are always OK (the default) and Cancel
// (chosen by Esc and by the box's close button).
struct MessageDlgRequest
{
    QString caption;
    QString text;
    TMsgDlgType type = mtConfirmation;
};

// A presenter answers true for OK, false for Cancel.
using MessageDlgPresenter = std::function<bool(const MessageDlgRequest &)>;

// Replaces the presenter (tests answer without a real modal box) and returns the previous
// one. An empty function restores the real box.
MessageDlgPresenter setMessageDlgPresenter(MessageDlgPresenter presenter);

// Shows the box modally, centred on the screen. True when the user chose OK; Cancel, Esc
// and the box's close button give false.
bool MessageDlg(const MessageDlgRequest &request);

// The delete confirmation: "Confirm", a question mark, "Delete record?", OK and Cancel.
// True only when the user chose OK.
bool ConfirmDeleteRecord();

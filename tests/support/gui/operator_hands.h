// An operator's hands on the running console, for end-to-end tests through the real widgets.
//
// While an OperatorHands lives it answers the console's modal dialogs: in the "Phone Book" it
// picks the site named `site` in the list and presses Select; in the "Password" dialog it types
// the password and presses OK; any other dialog is cancelled. Each is counted.
//
// UI thread only.
#pragma once

#include <string>

#include "tests/support/gui/scoped_modal_handler.h"

class CMainFrame;
class QDialog;
class QWidget;

class OperatorHands {
public:
    OperatorHands(std::string site, std::string password);

    void SetPassword(std::string password) { m_password = std::move(password); }

    int PhoneBooksAnswered() const { return m_phoneBooks; }
    int PasswordsTyped() const { return m_passwords; }
    int OthersCancelled() const { return m_others; }

private:
    int Answer(QDialog& dialog);

    std::string m_site;
    std::string m_password;
    int m_phoneBooks = 0;
    int m_passwords = 0;
    int m_others = 0;
    ScopedModalHandler m_handler;
};

// A left-button press in the middle of `widget`: a click on a link, a lamp or a column head.
void PressWidget(QWidget& widget);
// A click on tab `index` (0 Status ... 3 Event) of the console's page strip.
void ChooseTab(CMainFrame& frame, int index);

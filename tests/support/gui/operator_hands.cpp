#include "tests/support/gui/operator_hands.h"

#include <QApplication>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QTabBar>

#include "app/halvoric_view.h"
#include "app/main_frame.h"
#include "controls/sort_list_ctrl.h"
#include "dialogs/dlg_password.h"
#include "dialogs/dlg_phone_book.h"
#include "pages/dlg_parent.h"

namespace {

void PressAt(QWidget& widget, const QPointF& at) {
    QMouseEvent press(QEvent::MouseButtonPress, at, widget.mapToGlobal(at), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&widget, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, at, widget.mapToGlobal(at), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(&widget, &release);
}

}  // namespace

OperatorHands::OperatorHands(std::string site, std::string password)
    : m_site(std::move(site)),
      m_password(std::move(password)),
      m_handler([this](QDialog& dialog) { return Answer(dialog); }) {}

int OperatorHands::Answer(QDialog& dialog) {
    if (auto* book = dynamic_cast<CDlgPhoneBook*>(&dialog)) {
        ++m_phoneBooks;
        CSortListCtrl* list = book->m_listSites;
        for (int row = 0; row < list->GetItemCount(); ++row) {
            if (list->GetItemText(row, 1) == m_site) {
                list->SelectRow(row);
            }
        }
        book->Item<QPushButton>(IDC_BTN_SELECT)->click();
        return book->result();
    }
    if (auto* password = dynamic_cast<CDlgPassword*>(&dialog)) {
        ++m_passwords;
        password->Edit()->setText(QString::fromLatin1(m_password.c_str()));
        password->accept();
        return password->result();
    }
    ++m_others;
    dialog.reject();
    return QDialog::Rejected;
}

void PressWidget(QWidget& widget) {
    PressAt(widget, QPointF(widget.width() / 2.0, widget.height() / 2.0));
}

void ChooseTab(CMainFrame& frame, int index) {
    QTabBar* tabs = frame.MainView()->PageHost()->TabCtrl().TabBar();
    PressAt(*tabs, tabs->tabRect(index).center());
}

#include "dialogs/modal_dialog.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "controls/unit_text.h"
#include "dialogs/modal_seam.h"
#include "pages/dialog_units.h"
#include "pages/template_font.h"
#include "platform/prompt.h"

namespace {

// A closed drop-down list is as high as an edit of the dialog font.
constexpr int kComboHeight = 12;

}  // namespace

CModalDialog::CModalDialog(const char* title, int width, int height, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(title);
    setFont(TemplateFont("MS Shell Dlg", 8));
    setFixedSize(dlgunits::DialogSize(width, height));
}

int CModalDialog::DoModal() {
    OnInitDialog();
    return RunModal(*this);
}

QWidget* CModalDialog::GetDlgItem(int id) const {
    auto it = m_controls.find(id);
    return it == m_controls.end() ? nullptr : it->second;
}

void CModalDialog::Register(int id, QWidget* control) {
    if (id != 0) {
        m_controls[id] = control;
        control->setObjectName(QString::number(id));
    }
}

QGroupBox* CModalDialog::AddGroupBox(int x, int y, int w, int h) {
    auto* box = new QGroupBox(this);
    box->setGeometry(dlgunits::DialogRect(x, y, w, h));
    return box;
}

QLabel* CModalDialog::AddStatic(const char* text, int x, int y, int w, int h) {
    auto* label = new QLabel(QString::fromLatin1(text), this);
    label->setGeometry(dlgunits::DialogRect(x, y, w, h));
    return label;
}

QComboBox* CModalDialog::AddComboBox(int id, int x, int y, int w) {
    auto* combo = new QComboBox(this);
    combo->setGeometry(dlgunits::DialogRect(x, y, w, kComboHeight));
    Register(id, combo);
    return combo;
}

QLineEdit* CModalDialog::AddEdit(int id, int x, int y, int w, int h) {
    auto* edit = new QLineEdit(this);
    edit->setGeometry(dlgunits::DialogRect(x, y, w, h));
    Register(id, edit);
    return edit;
}

QPushButton* CModalDialog::AddButton(int id, const char* text, int x, int y, int w, int h,
                                     bool isDefault, std::function<void()> handler) {
    auto* button = new QPushButton(QString::fromLatin1(text), this);
    button->setGeometry(dlgunits::DialogRect(x, y, w, h));
    // Enter presses the focused button, or else the default one.
    button->setAutoDefault(true);
    button->setDefault(isDefault);
    Register(id, button);
    if (handler) {
        connect(button, &QPushButton::clicked, this, std::move(handler));
    }
    return button;
}

bool CModalDialog::CheckMaxChars(int id, int maxChars) {
    auto* edit = Item<QLineEdit>(id);
    if (!edit || edit->text().size() <= maxChars) {
        return true;
    }
    platform::MessageBox("Please enter no more than " + std::to_string(maxChars) + " characters.",
                         platform::PromptButtons::Ok, platform::PromptIcon::Warning);
    edit->setFocus();
    edit->selectAll();
    return false;
}

std::string CModalDialog::EditText(int id) const {
    auto* edit = Item<QLineEdit>(id);
    return edit ? edit->text().toLatin1().toStdString() : std::string();
}

void CModalDialog::SetEditText(int id, const std::string& text) {
    if (auto* edit = Item<QLineEdit>(id)) {
        SetUnitText(edit, QString::fromLatin1(text.data(), qsizetype(text.size())));
    }
}

void CModalDialog::LimitText(int id, int maxChars) {
    if (auto* edit = Item<QLineEdit>(id)) {
        LimitUnitText(edit, maxChars);
    }
}

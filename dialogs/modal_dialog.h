// CModalDialog: the common ground of the console's setup dialogs. A dialog is laid out from its
// template in "MS Shell Dlg" 8 dialog units, keeps its controls by their template ids, fills them
// from its members in OnInitDialog and runs modally through RunModal (dialogs/modal_seam.h), so
// that tests can fill in and close it.
//
// UI thread only.
#pragma once

#include <QDialog>
#include <functional>
#include <map>
#include <string>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

// The template ids of the standard buttons.
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;

class CModalDialog : public QDialog {
    Q_OBJECT
public:
    // `title` and size (`width` x `height` dialog units) come from the template.
    CModalDialog(const char* title, int width, int height, QWidget* parent);

    // Fills the controls from the members; DoModal runs it first.
    virtual void OnInitDialog() = 0;
    int DoModal();

    // The control with template id `id`, null when there is none.
    QWidget* GetDlgItem(int id) const;
    template <class T>
    T* Item(int id) const {
        return qobject_cast<T*>(GetDlgItem(id));
    }

protected:
    // Controls at (x, y, w, h) dialog units. An id of 0 is a control nobody refers to.
    QGroupBox* AddGroupBox(int x, int y, int w, int h);
    QLabel* AddStatic(const char* text, int x, int y, int w, int h);
    QComboBox* AddComboBox(int id, int x, int y, int w);
    QLineEdit* AddEdit(int id, int x, int y, int w, int h);
    // The default button answers Enter; others only their click. Clicks run `handler`.
    QPushButton* AddButton(int id, const char* text, int x, int y, int w, int h, bool isDefault,
                           std::function<void()> handler = {});

    // The framework's length check of a text field: false, with the message "Please enter no more
    // than N characters." and the field focused, when `edit` holds more than `maxChars`.
    bool CheckMaxChars(int id, int maxChars);
    // The edit's text as the console's 8-bit text.
    std::string EditText(int id) const;
    void SetEditText(int id, const std::string& text);
    // Typing stops at `maxChars` characters, and at characters the console cannot store; a longer
    // text put in by the program stays (and is refused by CheckMaxChars).
    void LimitText(int id, int maxChars);

private:
    void Register(int id, QWidget* control);

    std::map<int, QWidget*> m_controls;
};

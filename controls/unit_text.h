// Edit fields that hold the unit's texts. The unit stores 8-bit (Latin-1) text, so a character
// outside Latin-1, or a control character, is refused where it is typed or pasted: it would reach
// the unit as "?" and change its settings without anybody seeing it.
//
// A typing limit holds for the operator's typing only: a longer text the unit sent is shown whole
// (so that the form still equals the unit's settings and a write sends it back unchanged), the
// operator may shorten it, but typing never makes a text longer than the limit or than it already
// is. A text put in by the program is shown from its start.
//
// The field's font shrinks (down to a readable size) while its text would not fit the box, so that
// a text is seen whole; beyond that the field scrolls as usual.
//
// UI thread only.
#pragma once

#include <QFont>
#include <QString>
#include <QValidator>

class QComboBox;
class QLineEdit;

// Refuses a text with a character the unit cannot hold.
class UnitTextValidator : public QValidator {
    Q_OBJECT
public:
    explicit UnitTextValidator(QObject* parent);

    State validate(QString& input, int& position) const override;

    // True when every character of `text` is one the unit can hold.
    static bool IsUnitText(const QString& text);
};

// Gives `edit` the validator, the typing limit (`limit` characters, 0 for none) and keeps its text
// in view by shrinking its font.
void LimitUnitText(QLineEdit* edit, int limit = 0);
// A password field: each character shows as "*", whatever the desktop style would draw.
void ShowAsStars(QLineEdit* edit);
// Puts a text from the unit (or from the program) into `edit`: whole, however long, shown from its
// start.
void SetUnitText(QLineEdit* edit, const QString& text);

// Keeps the current text of `edit` or `combo` whole in view: its font is the template font while
// the text fits, and shrinks while it does not.
void KeepTextInView(QLineEdit* edit);
void KeepTextInView(QComboBox* combo);
// The room a line edit or a closed combo box has for its text, in pixels.
QSize TextRoom(const QLineEdit* edit);
QSize TextRoom(const QComboBox* combo);

// Edits whose typing limit is narrower than what the unit may hold (the next cycle time, the
// system name): a text from the unit is shown whole, so that the form still equals the unit's
// settings and a write sends the text back unchanged, while the operator can type no more than
// the limit.
#pragma once

#include <QLineEdit>
#include <QString>
#include <algorithm>

inline void SetUnitText(QLineEdit* edit, const QString& text, int typingLimit) {
    edit->setMaxLength(std::max(typingLimit, static_cast<int>(text.size())));
    edit->setText(text);
}

#include "controls/unit_text.h"

#include <QComboBox>
#include <QEvent>
#include <QLineEdit>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QStyleOptionFrame>
#include <algorithm>

#include "res/fit_text.h"

namespace {

// The edit's own margin between its frame and its text, on each side (QLineEdit's).
constexpr int kLineEditMargin = 2;
constexpr const char* kTemplateFont = "corvantisTemplateFont";
constexpr const char* kTypingLimit = "corvantisTypingLimit";

// Refits the font whenever the text, the size or the template font changes.
class TextFitFilter : public QObject {
public:
    explicit TextFitFilter(QWidget* field) : QObject(field) { field->installEventFilter(this); }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Resize) {
            Refit(static_cast<QWidget*>(watched));
        }
        return false;
    }

    static QFont TemplateOf(QWidget* field) {
        const QVariant stored = field->property(kTemplateFont);
        return stored.isValid() ? stored.value<QFont>() : field->font();
    }

    static void Refit(QWidget* field) {
        QString text;
        QSize room;
        if (auto* edit = qobject_cast<QLineEdit*>(field)) {
            text = edit->echoMode() == QLineEdit::Normal ? edit->text() : edit->displayText();
            room = TextRoom(edit);
        } else if (auto* combo = qobject_cast<QComboBox*>(field)) {
            text = combo->currentText();
            room = TextRoom(combo);
        }
        const QFont fitted = textfit::FitFont(TemplateOf(field), text, room, field);
        if (fitted != field->font()) {
            field->setFont(fitted);
        }
    }
};

void Attach(QWidget* field) {
    if (field->property(kTemplateFont).isValid()) {
        return;
    }
    field->setProperty(kTemplateFont, field->font());
    new TextFitFilter(field);
}

}  // namespace

UnitTextValidator::UnitTextValidator(QObject* parent) : QValidator(parent) {}

bool UnitTextValidator::IsUnitText(const QString& text) {
    return std::all_of(text.begin(), text.end(), [](QChar c) {
        const char16_t code = c.unicode();
        return code >= 0x20 && code <= 0xFF && code != 0x7F;
    });
}

QValidator::State UnitTextValidator::validate(QString& input, int&) const {
    return IsUnitText(input) ? Acceptable : Invalid;
}

void LimitUnitText(QLineEdit* edit, int limit) {
    edit->setValidator(new UnitTextValidator(edit));
    if (limit > 0) {
        edit->setProperty(kTypingLimit, limit);
        edit->setMaxLength(limit);
        // A longer text the unit sent may be shortened, never lengthened again: the edit's
        // length limit follows the text down to the typing limit.
        QObject::connect(edit, &QLineEdit::textChanged, edit, [edit, limit](const QString& text) {
            edit->setMaxLength(std::max(limit, static_cast<int>(text.size())));
        });
    }
    KeepTextInView(edit);
}

void ShowAsStars(QLineEdit* edit) {
    edit->setEchoMode(QLineEdit::Password);
    edit->setStyleSheet(edit->styleSheet() + " QLineEdit { lineedit-password-character: 42; }");
}

void SetUnitText(QLineEdit* edit, const QString& text) {
    const QVariant limit = edit->property(kTypingLimit);
    if (limit.isValid()) {
        edit->setMaxLength(std::max(limit.toInt(), static_cast<int>(text.size())));
    }
    edit->setText(text);
    // The start of a long text, not its tail.
    edit->setCursorPosition(0);
}

void KeepTextInView(QLineEdit* edit) {
    Attach(edit);
    QObject::connect(edit, &QLineEdit::textChanged, edit, [edit] { TextFitFilter::Refit(edit); });
    TextFitFilter::Refit(edit);
}

void KeepTextInView(QComboBox* combo) {
    Attach(combo);
    QObject::connect(combo, &QComboBox::currentTextChanged, combo,
                     [combo] { TextFitFilter::Refit(combo); });
    TextFitFilter::Refit(combo);
}

QSize TextRoom(const QLineEdit* edit) {
    QStyleOptionFrame option;
    option.initFrom(edit);
    option.rect = edit->rect();
    option.lineWidth = edit->hasFrame()
                           ? edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, edit)
                           : 0;
    QRect room = edit->style()->subElementRect(QStyle::SE_LineEditContents, &option, edit);
    room = room.marginsRemoved(edit->textMargins());
    room.adjust(kLineEditMargin, 0, -kLineEditMargin, 0);
    return room.size();
}

QSize TextRoom(const QComboBox* combo) {
    QStyleOptionComboBox option;
    option.initFrom(combo);
    option.rect = combo->rect();
    option.editable = combo->isEditable();
    option.frame = combo->hasFrame();
    const QRect room = combo->style()->subControlRect(QStyle::CC_ComboBox, &option,
                                                      QStyle::SC_ComboBoxEditField, combo);
    // The style leaves a few pixels of the field to its frame and focus rectangle.
    return room.adjusted(2, 0, -2, 0).size();
}

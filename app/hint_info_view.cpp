#include "app/hint_info_view.h"

CHintInfoView::CHintInfoView(QWidget* parent) : QPlainTextEdit(parent) {
    setReadOnly(true);
    setObjectName(QStringLiteral("hintInfoView"));
}

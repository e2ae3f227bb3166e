// CHintInfoView: the lower pane of the main frame, a plain text view that nothing writes to and
// the operator cannot type into. The frame keeps it collapsed.
#pragma once

#include <QPlainTextEdit>

class CHintInfoView : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit CHintInfoView(QWidget* parent);
};

// The main frame's status bar: the message pane ("Ready", or the prompt of the menu item under
// the mouse), the 120-pixel connection pane, and the CAP, NUM and SCRL indicators.
#pragma once

#include <QStatusBar>

class QLabel;

class CFrameStatusBar : public QStatusBar {
    Q_OBJECT
public:
    explicit CFrameStatusBar(QWidget* parent);

    void SetConnectionText(const QString& text);
    QString ConnectionText() const;
    // What the message pane shows now.
    QString MessageText() const;
    QLabel* ConnectionPane() const { return m_connection; }

    static constexpr int kConnectionPaneWidth = 120;

private:
    QLabel* AddIndicator(const QString& text);

    QLabel* m_ready;
    QLabel* m_connection;
};

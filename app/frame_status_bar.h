// The main frame's status bar: the message pane ("Ready", or the prompt of the menu item under
// the mouse, or a line about the link), the time of the unit's last reply, the connection pane
// (120 pixels, wider when its text needs it; its tooltip says what went wrong and what to do),
// and the CAP, NUM and SCRL indicators.
#pragma once

#include <QStatusBar>

class QLabel;

class CFrameStatusBar : public QStatusBar {
    Q_OBJECT
public:
    explicit CFrameStatusBar(QWidget* parent);

    void SetConnectionText(const QString& text, const QString& tooltip = QString());
    QString ConnectionText() const;
    QString ConnectionTooltip() const;
    // "Last reply 10:42:05" and its tooltip.
    void SetReplyText(const QString& text, const QString& tooltip);
    QString ReplyText() const;
    // A line about the link in the message pane (empty: back to "Ready").
    void SetLinkMessage(const QString& text);
    // What the message pane shows now.
    QString MessageText() const;
    QLabel* ConnectionPane() const { return m_connection; }

    static constexpr int kConnectionPaneWidth = 120;

private:
    QLabel* AddIndicator(const QString& text);

    QLabel* m_ready;
    QLabel* m_reply;
    QLabel* m_connection;
};

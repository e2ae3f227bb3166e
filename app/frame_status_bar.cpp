#include "app/frame_status_bar.h"

#include <QLabel>
#include <algorithm>

CFrameStatusBar::CFrameStatusBar(QWidget* parent)
    : QStatusBar(parent),
      m_ready(new QLabel(tr("Ready"), this)),
      m_reply(new QLabel(this)),
      m_connection(new QLabel(this)) {
    setSizeGripEnabled(false);
    addWidget(m_ready, 1);

    m_reply->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_reply->setObjectName(QStringLiteral("replyPane"));
    addPermanentWidget(m_reply);

    // The connection pane stands out from the bar ("pop-out").
    m_connection->setFrameStyle(QFrame::Panel | QFrame::Raised);
    m_connection->setFixedWidth(kConnectionPaneWidth);
    m_connection->setObjectName(QStringLiteral("connectionPane"));
    addPermanentWidget(m_connection);

    // The key lock states cannot be read portably here: the indicators stand greyed, as the
    // console shows a lock key that is off.
    AddIndicator(QStringLiteral("CAP"));
    AddIndicator(QStringLiteral("NUM"));
    AddIndicator(QStringLiteral("SCRL"));
}

QLabel* CFrameStatusBar::AddIndicator(const QString& text) {
    auto* label = new QLabel(text, this);
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label->setAlignment(Qt::AlignCenter);
    label->setMinimumWidth(label->fontMetrics().horizontalAdvance(QStringLiteral("SCRL")) + 8);
    label->setEnabled(false);
    addPermanentWidget(label);
    return label;
}

void CFrameStatusBar::SetConnectionText(const QString& text, const QString& tooltip) {
    m_connection->setText(text);
    m_connection->setToolTip(tooltip);
    const int needed = m_connection->fontMetrics().horizontalAdvance(text) + 12;
    m_connection->setFixedWidth(std::max(kConnectionPaneWidth, needed));
}

QString CFrameStatusBar::ConnectionTooltip() const {
    return m_connection->toolTip();
}

void CFrameStatusBar::SetReplyText(const QString& text, const QString& tooltip) {
    m_reply->setText(text);
    m_reply->setToolTip(tooltip);
}

QString CFrameStatusBar::ReplyText() const {
    return m_reply->text();
}

void CFrameStatusBar::SetLinkMessage(const QString& text) {
    if (text.isEmpty()) {
        clearMessage();
    } else {
        showMessage(text);
    }
}

QString CFrameStatusBar::ConnectionText() const {
    return m_connection->text();
}

QString CFrameStatusBar::MessageText() const {
    const QString message = currentMessage();
    return message.isEmpty() ? m_ready->text() : message;
}

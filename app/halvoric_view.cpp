#include "app/halvoric_view.h"

#include <QFontDatabase>
#include <QKeyEvent>

#include "pages/dlg_parent.h"

CHalvoricView::CHalvoricView(QWidget* parent) : QWidget(parent), m_pPageHost(new CDlgParent(this)) {
    setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_pPageHost->setGeometry(rect());
    m_pPageHost->show();
}

CHalvoricView::~CHalvoricView() = default;

void CHalvoricView::ClearWaitReplies() {
    m_pPageHost->ClearWaitReplies();
}

void CHalvoricView::AddTraceText(const std::string&) {}

void CHalvoricView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    m_pPageHost->setGeometry(0, 0, width(), height());
}

void CHalvoricView::keyPressEvent(QKeyEvent* event) {
    // Typed characters are dropped here; other keys go on to the frame.
    if (!event->text().isEmpty() && event->text().at(0).isPrint()) {
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

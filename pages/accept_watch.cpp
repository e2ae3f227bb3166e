#include "pages/accept_watch.h"

#include "controls/button_ex.h"
#include "controls/static_ex.h"
#include "res/pictures.h"

CButtonEx* CreateAcceptButton(QWidget* page, const QRect& rect) {
    auto* button = new CButtonEx(QString(), page);
    button->setObjectName("accept");
    button->setGeometry(rect);
    button->setFlat(true);
    const QPixmap picture = LoadPicture(res::IDB_ACCEPT);
    button->setIcon(QIcon(picture));
    button->setIconSize(picture.deviceIndependentSize().toSize());
    button->setToolTip("Accept");
    button->setAccessibleName("Accept");
    button->setAccessibleDescription("writes the changes to the unit");
    button->hide();
    return button;
}

CStaticEx* CreateAcceptPicture(QWidget* page, const QRect& rect) {
    auto* picture = new CStaticEx(page);
    picture->m_nDrawMode = DRAW_BITMAP;
    picture->m_nBitmapID = res::IDB_ACCEPT_GREY;
    picture->Create(QString(), WS_VISIBLE, rect, page, IDC_ACCEPT_GREY);
    picture->SetAccessibleInfo("Accept", "nothing to accept");
    return picture;
}

AcceptWatch::AcceptWatch(QWidget* button, QWidget* greyed, std::function<std::string()> lastRead,
                         std::function<std::string()> composeForm, QObject* parent)
    : QObject(parent),
      m_button(button),
      m_greyed(greyed),
      m_lastRead(std::move(lastRead)),
      m_composeForm(std::move(composeForm)) {
    connect(&m_timer, &QTimer::timeout, this, &AcceptWatch::Check);
    m_timer.start(kIntervalMs);
}

void AcceptWatch::Check() {
    const std::string lastRead = m_lastRead();
    const bool changed = !lastRead.empty() && m_composeForm() != lastRead;
    m_greyed->setVisible(!changed);
    m_button->setVisible(changed);
}

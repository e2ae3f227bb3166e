#include "tests/support/gui/status_view.h"

#include "controls/static_ex.h"
#include "engine/page_windows.h"
#include "engine/system.h"
#include "pages/web_page_status.h"
#include "platform/window_messages.h"

std::string StatusViewOf(const CWebPage_Status& page) {
    std::string view;
    for (const QObject* child : page.children()) {
        const auto* control = qobject_cast<const CStaticEx*>(child);
        if (!control) {
            continue;
        }
        view += control->isHidden() ? "- " : "+ ";
        view += control->WindowText().toLatin1().toStdString();
        view += '\n';
    }
    return view;
}

namespace {

std::string ViewOfFreshPage(const std::string* reply) {
    const uint64_t receiver = PageWindow(STATUS_PAGE_STATUS);
    std::string view;
    {
        CWebPage_Status page(nullptr);
        if (reply) {
            ReplyCell cell{*reply};
            page.OnMessage(platform::WM_PAGE_REPLY, 0, reinterpret_cast<intptr_t>(&cell));
        }
        view = StatusViewOf(page);
    }
    SetPageWindow(STATUS_PAGE_STATUS, receiver);
    return view;
}

}  // namespace

std::string StatusViewOfReply(const std::string& reply) {
    return ViewOfFreshPage(&reply);
}

std::string StatusViewOfNothing() {
    return ViewOfFreshPage(nullptr);
}

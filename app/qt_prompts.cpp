#include "app/qt_prompts.h"

#include <QApplication>
#include <QMessageBox>
#include <QThread>
#include <cstdio>

#include "app/latin1.h"
#include "platform/dispatcher.h"

namespace {

QMessageBox::Icon BoxIcon(platform::PromptIcon icon) {
    switch (icon) {
        case platform::PromptIcon::Information:
            return QMessageBox::Information;
        case platform::PromptIcon::Warning:
            return QMessageBox::Warning;
        case platform::PromptIcon::Stop:
            return QMessageBox::Critical;
        case platform::PromptIcon::Question:
            return QMessageBox::Question;
        case platform::PromptIcon::None:
            break;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons BoxButtons(platform::PromptButtons buttons) {
    switch (buttons) {
        case platform::PromptButtons::YesNo:
            return QMessageBox::Yes | QMessageBox::No;
        case platform::PromptButtons::OkCancel:
            return QMessageBox::Ok | QMessageBox::Cancel;
        case platform::PromptButtons::Ok:
            break;
    }
    return QMessageBox::Ok;
}

// A box closed without a button (window manager, Escape) counts as the safe answer.
platform::PromptAnswer Answer(int result, platform::PromptButtons buttons) {
    switch (result) {
        case QMessageBox::Yes:
            return platform::PromptAnswer::Yes;
        case QMessageBox::No:
            return platform::PromptAnswer::No;
        case QMessageBox::Ok:
            return platform::PromptAnswer::Ok;
        case QMessageBox::Cancel:
            return platform::PromptAnswer::Cancel;
        default:
            break;
    }
    switch (buttons) {
        case platform::PromptButtons::YesNo:
            return platform::PromptAnswer::No;
        case platform::PromptButtons::OkCancel:
            return platform::PromptAnswer::Cancel;
        case platform::PromptButtons::Ok:
            break;
    }
    return platform::PromptAnswer::Ok;
}

}  // namespace

platform::PromptAnswer QtPrompts::Show(const std::string& text, platform::PromptButtons buttons,
                                       platform::PromptIcon icon, const std::string& caption) {
    if (QThread::currentThread() == qApp->thread()) {
        return ShowOnUiThread(text, buttons, icon, caption);
    }
    platform::PromptAnswer answer = Answer(-1, buttons);
    platform::Dispatch().Send([&] { answer = ShowOnUiThread(text, buttons, icon, caption); });
    return answer;
}

// Platforms that show nothing to anybody: a modal box there would wait for ever.
static bool HeadlessPlatform() {
    const QString name = QGuiApplication::platformName();
    return name == QLatin1String("offscreen") || name == QLatin1String("minimal");
}

platform::PromptAnswer QtPrompts::ShowOnUiThread(const std::string& text,
                                                 platform::PromptButtons buttons,
                                                 platform::PromptIcon icon,
                                                 const std::string& caption) {
    if (HeadlessPlatform()) {
        std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
        return buttons == platform::PromptButtons::YesNo ? platform::PromptAnswer::Yes
                                                         : platform::PromptAnswer::Ok;
    }
    QMessageBox box(BoxIcon(icon), FromLatin1(caption), FromLatin1(text), BoxButtons(buttons),
                    QApplication::activeWindow());
    if (buttons == platform::PromptButtons::YesNo) {
        box.setDefaultButton(QMessageBox::Yes);
    }
    return Answer(box.exec(), buttons);
}

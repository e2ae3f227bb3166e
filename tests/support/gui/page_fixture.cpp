#include "tests/support/gui/page_fixture.h"

#include <QApplication>
#include <QDialog>
#include <QImage>
#include <QLineEdit>
#include <QWidget>
#include <cstdlib>

#include "app/state/app_state.h"
#include "dialogs/modal_seam.h"
#include "engine/page_windows.h"
#include "platform/prompt.h"
#include "platform/window_messages.h"

void EnsureQtApplication() {
    if (QApplication::instance()) {
        return;
    }
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static int argc = 1;
    static char name[] = "corvantis-test";
    static char* argv[] = {name, nullptr};
    // Lives for the whole test program.
    new QApplication(argc, argv);
}

void PageFixture::SetUp() {
    EnsureQtApplication();
    theApp().Reset();
    platform::SetPromptService(&m_prompts);

    m_doc = new CHalvoricDoc();
    m_system = new CSystem();
    m_system->SystemID = 1;
    m_system->Name = "AAA";
    m_port = new ScriptedPort(COMM_DIRECT);
    m_port->Owner = m_system;
    m_port->SetLinkUp(true);
    m_system->Port = m_port;
    m_doc->m_pSystems = m_system;
    SetTheDocument(m_doc);
    theApp().m_bLoggedIn = 1;

    SetModalHandler([this](QDialog& dialog) {
        ++m_dialogsShown;
        std::optional<std::string> answer;
        if (!m_passwords.empty()) {
            answer = m_passwords.front();
            m_passwords.pop_front();
        }
        if (!answer) {
            dialog.reject();
            return int(QDialog::Rejected);
        }
        if (auto* edit = dialog.findChild<QLineEdit*>()) {
            edit->setText(QString::fromLatin1(answer->c_str()));
        }
        dialog.accept();
        return int(QDialog::Accepted);
    });
}

void PageFixture::TearDown() {
    SetModalHandler({});
    SetTheDocument(nullptr);
    delete m_doc;  // deletes System 1 and its port
    m_doc = nullptr;
    m_system = nullptr;
    m_port = nullptr;
    theApp().Reset();
    platform::SetPromptService(nullptr);
}

void PageFixture::AnswerPassword(std::optional<std::string> password) {
    m_passwords.push_back(std::move(password));
}

std::vector<std::string> PageFixture::Queued() const {
    std::vector<std::string> texts;
    std::lock_guard<std::mutex> lock(m_system->m_lock);
    for (const CCommandNode* node = m_system->Commands; node; node = node->Next) {
        texts.push_back(node->SendText);
    }
    return texts;
}

void PageFixture::ClearQueue() {
    m_system->ClearCommands();
}

long PageFixture::Reply(platform::MessageTarget& page, const std::string& text) {
    ReplyCell cell{text};
    return platform::SendMessage(page.TargetId(), platform::WM_PAGE_REPLY, 0,
                                 reinterpret_cast<intptr_t>(&cell));
}

QImage PageFixture::Grab(QWidget& widget) {
    widget.show();
    QApplication::processEvents();
    return widget.grab().toImage();
}

// A fixture for tests of the device pages: a Qt application (offscreen), a document with System 1
// on a ScriptedPort whose link is up, the console logged in, message boxes recorded, and modal
// dialogs answered from a queue instead of waiting for a person. The test thread is the UI thread.
//
//   AnswerPassword("secret");            // the next "Password" dialog gets "secret" and OK
//   AnswerPassword(std::nullopt);        // the next one is cancelled
//   page.OnTimer(1); Queued() == {"/60.htm?val=0-0\r"};
//   Reply(page, "129;0;...EOT");         // WM_PAGE_REPLY as the receive side sends it
#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "app/core/document.h"
#include "engine/system.h"
#include "tests/support/recording_prompts.h"
#include "tests/support/scripted_port.h"

class QWidget;
class QImage;
namespace platform {
class MessageTarget;
}

// The process's QApplication, made on first use (offscreen unless QT_QPA_PLATFORM says otherwise).
void EnsureQtApplication();

class PageFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // The next password dialog is answered with `password` and OK, or cancelled (nullopt).
    void AnswerPassword(std::optional<std::string> password);
    int PasswordDialogsShown() const { return m_dialogsShown; }

    // The texts queued on System 1's command list, in order.
    std::vector<std::string> Queued() const;
    void ClearQueue();

    // Hands `text` to `page` as the receive side does; returns the handler's result.
    long Reply(platform::MessageTarget& page, const std::string& text);

    // Renders `widget` (shown, at its current size) into an image.
    static QImage Grab(QWidget& widget);

    CHalvoricDoc* m_doc = nullptr;
    CSystem* m_system = nullptr;
    ScriptedPort* m_port = nullptr;
    RecordingPrompts m_prompts;

private:
    std::deque<std::optional<std::string>> m_passwords;
    int m_dialogsShown = 0;
};

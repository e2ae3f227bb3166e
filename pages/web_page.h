// CWebPage: what the four device pages share. A page asks the unit for one of its numbered pages
// through the current System's command queue and gets the reply back as WM_PAGE_REPLY on the UI
// thread; it keeps one outstanding-request flag, sends only while it is the active page, and asks
// for the password before every write.
//
// The sending steps (SendRequest), in order:
//   1. the "Requesting data..." guard while a request of this page is outstanding (per call: a box,
//      a silent skip, or no guard at all);
//   2. the page must be the document's active page;
//   3. there must be a System with a port whose link is up, and the console must be logged in;
//   4. the command in progress is abandoned (AbortCommand), the request is queued at the tail of
//      the System's commands, and the flag is set.
// Every failure is silent except the guard's box.
//
// UI thread only. The page registers itself as the receiver of its exchange state's replies while
// it exists.
#pragma once

#include <QWidget>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/core/document.h"  // the page numbers PAGE_STATUS ... PAGE_EVENT
#include "controls/dib_graph.h"
#include "engine/command_node.h"  // the page command ids CMD_PAGE_STATUS ... CMD_PAGE_EVENT
#include "engine/system.h"        // the exchange states STATUS_PAGE_STATUS ... STATUS_PAGE_EVENT
#include "platform/window_messages.h"

class CWebPage : public QWidget, public platform::MessageTarget {
    Q_OBJECT
public:
    // pageNumber: 1 Status, 2 Cycle Set Up, 3 Reporting Set Up, 4 Event (the document's
    // m_nActivePage); commandId 102..105; exchangeStatus 3..6.
    CWebPage(int pageNumber, uint8_t commandId, int exchangeStatus, QWidget* parent);
    ~CWebPage() override;

    int PageNumber() const { return m_nPageNumber; }
    uint8_t CommandId() const { return m_nCommandId; }

    // A request of this page is queued and its reply has not arrived.
    bool m_bWaitReply = false;

    // The page becomes the active one: the document's m_nActivePage is set to this page and the
    // flag is cleared. Pages that read on activation extend this.
    virtual void OnSetActive();
    // The page stops being the active one: the flag is cleared.
    virtual void OnKillActive();

    enum class WaitGuard {
        Prompt,        // "Requesting data..." and stop
        SkipSilently,  // stop without a word (the Status poll)
        Ignore         // send anyway (the Status reset)
    };
    // Runs the sending steps for `text`; true when the request was queued.
    bool SendRequest(const std::string& text, WaitGuard guard = WaitGuard::Prompt);

    // True when a request of this page is outstanding but the System holds no command of this
    // page any more (neither in progress nor queued): it was abandoned, dropped after the unit
    // stayed silent, or its echo never came, so its reply will never arrive.
    bool RequestLost() const;
    // The System holds a command of this page, in progress or queued.
    bool CommandPending() const;

    // Before a write: "Please connect first." when not logged in, then the page's own input checks
    // (`checks`, may show their own message and return false), then the "Password" dialog. Returns
    // the password, or nothing when any step stops or the password is empty.
    std::optional<std::string> AskPassword(const std::function<bool()>& checks = {});

    // A settings write the operator starts with "Accept": `problemOf` names what the form must not
    // send (shown to the operator, nothing sent) or is empty; then the password, then the write
    // "/NN.htm?val=1-0,<password>;<fields>\r". `before` is the settings text of the unit's last
    // answer, as the page held it before this write. True when the write was queued.
    bool SubmitWrite(int unitPage, const std::function<std::string()>& problemOf,
                     const std::string& fields, const std::string& before);

    // The unit's answer to a read or a write of the settings, as the page's settings text. True
    // when the page shows it: an answer is what the unit now holds, so it replaces the form, also
    // when it differs from what was written (the unit may store a text in its own way). Only the
    // answer to a write that repeats the settings from before the write is not shown: the unit did
    // not take the change (a wrong password, for one); the operator's edits stay so that the write
    // can be tried again, and the operator is told so.
    bool TakeAnswer(const std::string& settings);
    // The settings from before a write whose answer has not come yet.
    std::optional<std::string> m_settingsBeforeWrite;
    // What the operator is told when the unit kept its settings after a write.
    static constexpr const char* kChangeNotAccepted =
        "The unit did not accept the change (check the password). Your entries are kept: press "
        "Accept to try again.";

    // WM_PAGE_REPLY (lParam: const ReplyCell*): clears the flag, copies the text, drops the
    // trailer, hands the rest to OnReply and repaints; returns 1. Other messages return 0.
    long OnMessage(unsigned msg, intptr_t wParam, intptr_t lParam) override;

    // How many replies this page has shown so far (each one handed to OnReply): a reply that the
    // page skips as unchanged is not counted.
    int RepliesShown() const { return m_nRepliesShown; }

    // Characters at the end of every reply that are not data: "EOT" (the Event page adds "\r\n").
    virtual int TrailerLength() const { return 3; }
    // The reply without its trailer.
    virtual void OnReply(const std::string& text) = 0;

    // "/NN.htm?val=A-B\r".
    static std::string BuildRequest(int unitPage, int a, int b);
    // A read: "/NN.htm?val=0-0\r".
    static std::string BuildRead(int unitPage);
    // A write: "/NN.htm?val=1-0," + password + ";" + fields + "\r".
    static std::string BuildWrite(int unitPage, const std::string& password,
                                  const std::string& fields);

    // The System requests go to (the document's first), or null.
    static CSystem* CurrentSystem();
    // True when the page may send now: System, port, link up, logged in.
    static bool CanSend();

    // The page's background picture ("JPG" resource), drawn at its own size from the top-left
    // corner so that the values the page places land in its cells.
    void SetBackground(int resourceId);
    const CDIBGraph& Background() const { return m_background; }

protected:
    void paintEvent(QPaintEvent* event) override;
    // Tab goes through `order` in turn, in the order the operator reads the page.
    static void ChainTabs(const std::vector<QWidget*>& order);

    CDIBGraph m_background;

private:
    int m_nPageNumber;
    uint8_t m_nCommandId;
    int m_nExchangeStatus;
    int m_nRepliesShown = 0;
};

// SIGTERM, SIGINT and SIGHUP end the console the orderly way: the event loop (and any modal
// dialog or message box open at the time) is left, and start-up's owner then stops the Systems
// and closes the logs. The operator is not asked: the session is ending.
#pragma once

#include <QObject>

class QSocketNotifier;

class CTerminationSignals : public QObject {
    Q_OBJECT
public:
    explicit CTerminationSignals(QObject* parent = nullptr);
    ~CTerminationSignals() override;  // restores the default actions

    // False when the signals could not be taken (the reason went to the debug log).
    bool Installed() const { return m_notifier != nullptr; }
    // True once a signal was handled (it may have come before the main event loop ran).
    bool Received() const { return m_received; }

private:
    void OnSignal();

    QSocketNotifier* m_notifier = nullptr;
    bool m_received = false;
};

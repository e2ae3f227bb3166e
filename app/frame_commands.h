// The main frame's commands: one QAction per command id, shared by the menu and the toolbar,
// carrying its menu text, status-bar prompt, tooltip and picture. The enable states come from the
// document's update handlers; UpdateStates() refreshes them (the frame calls it while idle).
#pragma once

#include <QObject>
#include <map>

class CHalvoricDoc;
class QAction;
class QWidget;

class CFrameCommands : public QObject {
    Q_OBJECT
public:
    CFrameCommands(CHalvoricDoc& doc, QWidget& frame);

    QAction* Action(int commandId) const;
    void UpdateStates();

private:
    QAction* Add(int commandId, const QString& menuText, const QString& prompt);
    void Run(int commandId);
    bool Enabled(int commandId) const;

    CHalvoricDoc& m_doc;
    QWidget& m_frame;
    std::map<int, QAction*> m_actions;
};

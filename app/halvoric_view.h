// CHalvoricView: the console's working area, the upper pane of the main frame. It hosts the page
// host with the four device pages and keeps it covering the whole view.
#pragma once

#include <QWidget>
#include <string>

class CDlgParent;

class CHalvoricView : public QWidget {
    Q_OBJECT
public:
    explicit CHalvoricView(QWidget* parent);
    ~CHalvoricView() override;

    CDlgParent* PageHost() const { return m_pPageHost; }
    // Clears the outstanding-request flag of every device page.
    void ClearWaitReplies();
    // Where the sessions' trace lines go: accepted and discarded, nothing is shown.
    void AddTraceText(const std::string& text);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    CDlgParent* m_pPageHost;
};

// The "Accept" button of a settings page (Cycle Set Up, Reporting Set Up). It is shown only while
// the form differs from what the unit last reported; otherwise the greyed "Accept" picture stands
// in its place. A 200 ms timer compares the two for as long as the page exists, whether or not it
// is the active page.
//
// UI thread only.
#pragma once

#include <QObject>
#include <QRect>
#include <QTimer>
#include <functional>
#include <string>

class CButtonEx;
class CStaticEx;
class QWidget;

constexpr int IDC_ACCEPT = 1031;
constexpr int IDC_ACCEPT_GREY = 20010;

// The real button (bitmap 204) at `rect` of `page`.
CButtonEx* CreateAcceptButton(QWidget* page, const QRect& rect);
// The greyed picture (bitmap 205) at `rect` of `page`, shown.
CStaticEx* CreateAcceptPicture(QWidget* page, const QRect& rect);

class AcceptWatch : public QObject {
    Q_OBJECT
public:
    static constexpr int kIntervalMs = 200;

    // `lastRead`: what the unit last reported, empty before the first reply. `composeForm`: the
    // same text built from the form as it stands.
    AcceptWatch(QWidget* button, QWidget* greyed, std::function<std::string()> lastRead,
                std::function<std::string()> composeForm, QObject* parent);

    // One comparison now (the timer's tick).
    void Check();

private:
    QWidget* m_button;
    QWidget* m_greyed;
    std::function<std::string()> m_lastRead;
    std::function<std::string()> m_composeForm;
    QTimer m_timer;
};

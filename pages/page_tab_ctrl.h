// CPageTabCtrl: the tab strip of the page host. It registers up to 16 pages, makes them its
// children, shows the page whose tab is chosen (by mouse or keyboard) and places the pages below
// the strip. Captions of the current tab are black, the others blue; the strip shows the hand
// cursor. Every selection change by the operator is reported through SelChanged(index) after the
// page is shown; SetActivePage changes the page without reporting.
//
// UI thread only.
#pragma once

#include <QString>
#include <QWidget>
#include <array>

class QTabBar;

constexpr int kMaxPages = 16;

class CPageTabCtrl : public QWidget {
    Q_OBJECT
public:
    explicit CPageTabCtrl(QWidget* parent = nullptr);

    // False when 16 pages are registered already.
    bool AddPage(const QString& caption, int image, QWidget* page, int templateId);
    // Makes the registered pages children of the strip with one tab each; shows page 0.
    void CreatePages();
    // Places every page in the area below the strip; the current one is shown, the rest hidden.
    void PlacePages();
    // Shows page `index` and selects its tab; returns the previous index, or -1 when out of range.
    int SetActivePage(int index);

    int GetCurSel() const;
    int GetPageCount() const { return m_nCount; }
    int CurrentPage() const { return m_nCurrent; }
    QWidget* GetPage(int index) const;
    QTabBar* TabBar() const { return m_tabBar; }

signals:
    void SelChanged(int index);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void OnTabBarChanged(int index);
    void ShowPage(int index);
    void ColourCaptions();

    QTabBar* m_tabBar = nullptr;
    std::array<QString, kMaxPages> m_captions;
    std::array<int, kMaxPages> m_images{};
    std::array<int, kMaxPages> m_templateIds{};
    std::array<QWidget*, kMaxPages> m_pages{};
    int m_nCount = 0;
    int m_nCurrent = 0;
};

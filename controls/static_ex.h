// CStaticEx: a static control that paints itself as coloured text (values and links), as a filled
// disc (lamps) or as a bitmap stretched over its rectangle. With SS_NOTIFY it is underlined, shows
// the hand cursor and reports a left click to its owner through Clicked(id); without it, mouse
// input passes through to the page beneath.
//
// A disabled static paints dimmed (the page shows a value it cannot vouch for).
//
// A text that does not fit the rectangle in the control's font is drawn smaller until it does
// (never cut off). A double click counts as one click. A notifying static takes the keyboard focus
// (Tab) and reports Space and Enter as a click. For assistive technology each static has a name
// (what it is: "Dryer 5, Alarm lamp") and a value (what it shows now: "on"); a lamp's value
// follows whether it is shown.
//
// UI thread only. The page sets m_nDrawMode, m_crColor and m_nBitmapID directly; a change shows at
// the next paint (the page repaints itself after updating).
#pragma once

#include <QColor>
#include <QFont>
#include <QString>
#include <QWidget>
#include <cstdint>

// Static styles the console uses.
constexpr unsigned SS_LEFT = 0x0000;
constexpr unsigned SS_CENTER = 0x0001;
constexpr unsigned SS_RIGHT = 0x0002;
constexpr unsigned SS_NOTIFY = 0x0100;
constexpr unsigned WS_VISIBLE = 0x10000000;

constexpr uint8_t DRAW_TEXT = 1;
constexpr uint8_t DRAW_LAMP = 2;
constexpr uint8_t DRAW_BITMAP = 3;

class CStaticEx : public QWidget {
    Q_OBJECT
public:
    explicit CStaticEx(QWidget* parent = nullptr);

    // Creates the control: window text, style (SS_* | WS_VISIBLE), rectangle in the parent's
    // pixels, and the id it reports clicks with.
    void Create(const QString& text, unsigned style, const QRect& rect, QWidget* parent, int id);

    int m_nBitmapID = 0;
    uint8_t m_nDrawMode = DRAW_TEXT;
    QColor m_crColor = QColor(0, 0, 0);

    void SetWindowText(const QString& text);
    // Shows or hides the control (a lamp's accessible value follows).
    void setVisible(bool visible) override;
    // The font the text is drawn in: the control's font, shrunk until the text fits.
    QFont TextFont() const;

    // What the control is and what it shows, for assistive technology. A lamp's value, when none
    // is given, is "on" while it is shown and "off" while hidden; a text's is its text.
    void SetAccessibleInfo(const QString& name, const QString& value = QString());
    QString AccessibleName() const { return m_accessibleName; }
    QString AccessibleValue() const;
    const QString& WindowText() const { return m_text; }
    unsigned Style() const { return m_style; }
    int Id() const { return m_id; }

signals:
    void Clicked(int id);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void PaintText(class QPainter& painter);
    void PaintLamp(QPainter& painter);
    void PaintBitmap(QPainter& painter);

    void UpdateAccessible();

    QString m_text;
    QString m_accessibleName;
    QString m_accessibleValue;
    unsigned m_style = 0;
    int m_id = 0;
};

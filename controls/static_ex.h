// CStaticEx: a static control that paints itself as coloured text (values and links), as a filled
// disc (lamps) or as a bitmap stretched over its rectangle. With SS_NOTIFY it is underlined, shows
// the hand cursor and reports a left click to its owner through Clicked(id); without it, mouse
// input passes through to the page beneath.
//
// A disabled static paints dimmed (the page shows a value it cannot vouch for).
//
// UI thread only. The page sets m_nDrawMode, m_crColor and m_nBitmapID directly; a change shows at
// the next paint (the page repaints itself after updating).
#pragma once

#include <QColor>
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
    const QString& WindowText() const { return m_text; }
    unsigned Style() const { return m_style; }
    int Id() const { return m_id; }

signals:
    void Clicked(int id);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    void PaintText(class QPainter& painter);
    void PaintLamp(QPainter& painter);
    void PaintBitmap(QPainter& painter);

    QString m_text;
    unsigned m_style = 0;
    int m_id = 0;
};

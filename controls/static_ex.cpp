#include "controls/static_ex.h"

#include <QMouseEvent>
#include <QPainter>

#include "res/pictures.h"

CStaticEx::CStaticEx(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents, true);
}

void CStaticEx::Create(const QString& text, unsigned style, const QRect& rect, QWidget* parent,
                       int id) {
    m_text = text;
    m_style = style;
    m_id = id;
    if (parent != parentWidget()) {
        setParent(parent);
    }
    setGeometry(rect);
    // Only a notifying static takes the mouse: it shows the hand and reports clicks. The others
    // let the mouse through to the page, as plain statics do.
    const bool notify = (style & SS_NOTIFY) != 0;
    setAttribute(Qt::WA_TransparentForMouseEvents, !notify);
    if (notify) {
        setCursor(HandCursor());
    } else {
        unsetCursor();
    }
    setVisible((style & WS_VISIBLE) != 0);
}

void CStaticEx::SetWindowText(const QString& text) {
    if (text != m_text) {
        m_text = text;
        update();
    }
}

void CStaticEx::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (!isEnabled()) {
        painter.setOpacity(0.45);  // a disabled static shows a value that is not current
    }
    switch (m_nDrawMode) {
        case DRAW_TEXT:
            PaintText(painter);
            break;
        case DRAW_LAMP:
            PaintLamp(painter);
            break;
        case DRAW_BITMAP:
            PaintBitmap(painter);
            break;
        default:
            break;
    }
}

void CStaticEx::PaintText(QPainter& painter) {
    QFont font = this->font();
    font.setUnderline((m_style & SS_NOTIFY) != 0);
    painter.setFont(font);
    painter.setPen(m_crColor);
    // Centred when the style asks for centre or right alignment; the text starts at the top.
    const int align = (m_style & (SS_CENTER | SS_RIGHT)) ? Qt::AlignHCenter : Qt::AlignLeft;
    painter.drawText(rect(), align | Qt::AlignTop, m_text);
}

void CStaticEx::PaintLamp(QPainter& painter) {
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(m_crColor);
    painter.drawEllipse(rect());
}

void CStaticEx::PaintBitmap(QPainter& painter) {
    if (m_nBitmapID == 0) {
        return;
    }
    const QPixmap bitmap = LoadPicture(m_nBitmapID);
    if (!bitmap.isNull()) {
        painter.drawPixmap(rect(), bitmap);
    }
}

void CStaticEx::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && (m_style & SS_NOTIFY)) {
        emit Clicked(m_id);
        event->accept();
        return;
    }
    QWidget::mousePressEvent(event);
}

#include "controls/static_ex.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include "res/fit_text.h"
#include "res/pictures.h"

namespace {

// What assistive technology learns of a static: a button for the links, toggles and heads, an
// indicator for a lamp, a picture or a text otherwise; its value is what it shows now.
class StaticExAccessible : public QAccessibleWidget {
public:
    explicit StaticExAccessible(CStaticEx* control)
        : QAccessibleWidget(control, QAccessible::StaticText) {}

    QAccessible::Role role() const override { return RoleOf(Control()); }

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Value) {
            return Control()->AccessibleValue();
        }
        return QAccessibleWidget::text(t);
    }

private:
    static QAccessible::Role RoleOf(const CStaticEx* control) {
        if (control->Style() & SS_NOTIFY) {
            return QAccessible::Button;
        }
        switch (control->m_nDrawMode) {
            case DRAW_LAMP:
                return QAccessible::Indicator;
            case DRAW_BITMAP:
                return QAccessible::Graphic;
            default:
                return QAccessible::StaticText;
        }
    }
    const CStaticEx* Control() const { return static_cast<const CStaticEx*>(object()); }
};

QAccessibleInterface* StaticExFactory(const QString& className, QObject* object) {
    if (className == QLatin1String("CStaticEx") && object && object->isWidgetType()) {
        return new StaticExAccessible(static_cast<CStaticEx*>(object));
    }
    return nullptr;
}

}  // namespace

CStaticEx::CStaticEx(QWidget* parent) : QWidget(parent) {
    static const bool installed = [] {
        QAccessible::installFactory(StaticExFactory);
        return true;
    }();
    (void)installed;
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
    // A link, a toggle or a sort head is worked from the keyboard as well.
    setFocusPolicy(notify ? Qt::StrongFocus : Qt::NoFocus);
    setVisible((style & WS_VISIBLE) != 0);
}

void CStaticEx::SetWindowText(const QString& text) {
    if (text != m_text) {
        m_text = text;
        update();
        UpdateAccessible();
    }
}

QFont CStaticEx::TextFont() const {
    QFont font = this->font();
    font.setUnderline((m_style & SS_NOTIFY) != 0);
    return textfit::FitFont(font, m_text, size(), this);
}

void CStaticEx::SetAccessibleInfo(const QString& name, const QString& value) {
    m_accessibleName = name;
    m_accessibleValue = value;
    UpdateAccessible();
}

QString CStaticEx::AccessibleValue() const {
    if (!m_accessibleValue.isEmpty()) {
        return m_accessibleValue;
    }
    if (m_nDrawMode == DRAW_LAMP) {
        return isHidden() ? QStringLiteral("off") : QStringLiteral("on");
    }
    return m_nDrawMode == DRAW_TEXT ? m_text : QString();
}

void CStaticEx::UpdateAccessible() {
    if (m_accessibleName.isEmpty()) {
        setAccessibleName(m_nDrawMode == DRAW_TEXT ? m_text : QString());
        setAccessibleDescription(QString());
        return;
    }
    const QString value = AccessibleValue();
    // Readers that speak only the name still say what the control shows.
    setAccessibleName(value.isEmpty() ? m_accessibleName : m_accessibleName + ", " + value);
    setAccessibleDescription(value);
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
    if (hasFocus()) {
        // Where the keyboard is, for an operator without a mouse.
        painter.setOpacity(1.0);
        painter.setPen(QPen(palette().color(QPalette::Highlight), 1, Qt::DotLine));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
}

void CStaticEx::PaintText(QPainter& painter) {
    painter.setFont(TextFont());
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
    // At the screen's own resolution, not a scaled-up bitmap.
    const QPixmap bitmap = LoadPicture(m_nBitmapID, devicePixelRatioF());
    if (!bitmap.isNull()) {
        painter.drawPixmap(rect(), bitmap);
    }
}

void CStaticEx::mouseDoubleClickEvent(QMouseEvent* event) {
    // The first press of a double click was the click; the second one is not another.
    if (m_style & SS_NOTIFY) {
        event->accept();
        return;
    }
    QWidget::mouseDoubleClickEvent(event);
}

void CStaticEx::keyPressEvent(QKeyEvent* event) {
    const bool press = event->key() == Qt::Key_Space || event->key() == Qt::Key_Return ||
                       event->key() == Qt::Key_Enter || event->key() == Qt::Key_Select;
    if ((m_style & SS_NOTIFY) && press && !event->isAutoRepeat()) {
        emit Clicked(m_id);
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

void CStaticEx::setVisible(bool visible) {
    QWidget::setVisible(visible);
    UpdateAccessible();
}

void CStaticEx::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && (m_style & SS_NOTIFY)) {
        emit Clicked(m_id);
        event->accept();
        return;
    }
    QWidget::mousePressEvent(event);
}

#include "controls/dib_graph.h"

#include <QPainter>
#include <algorithm>

#include "res/pictures.h"

int CDIBGraph::LoadJPG(int resourceId, const QRect& rect) {
    m_pPicture = QPixmap();
    m_bPicture = 1;
    if (!::HasPicture(resourceId, res::PictureType::Jpg)) {
        return 0;
    }
    m_pPicture = LoadPicture(resourceId);
    if (m_pPicture.isNull()) {
        return 0;
    }
    m_rcPicture =
        rect.isNull() ? QRect(QPoint(0, 0), m_pPicture.deviceIndependentSize().toSize()) : rect;
    return 1;
}

void CDIBGraph::Draw(QPainter& painter, const QRect& dest) {
    if (m_pPicture.isNull()) {
        return;
    }
    painter.drawPixmap(dest, m_pPicture);
}

void CDIBGraph::Draw(QPainter& painter) {
    Draw(painter, m_rcPicture);
}

void CDIBGraph::Draw(QPainter& painter, int x, int y, int cx, int cy, int xSrc, int ySrc) {
    const int width = m_rcPicture.width();
    const int height = m_rcPicture.height();
    if (m_pPicture.isNull() || xSrc < 0 || ySrc < 0 || xSrc >= width || ySrc >= height) {
        return;
    }
    cx = std::min(cx, width - xSrc);
    cy = std::min(cy, height - ySrc);
    // m_rcPicture may differ from the picture's own size: map the source proportionally.
    const double scaleX = double(m_pPicture.width()) / width;
    const double scaleY = double(m_pPicture.height()) / height;
    const QRect source(int(xSrc * scaleX), int(ySrc * scaleY), int(cx * scaleX), int(cy * scaleY));
    painter.drawPixmap(QRect(x, y, cx, cy), m_pPicture, source);
}

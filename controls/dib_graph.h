// CDIBGraph: one picture from the console's resources, drawn into a painter stretched to a
// rectangle. Every device page keeps one as its background.
//
// UI thread only.
#pragma once

#include <QPixmap>
#include <QRect>

class QPainter;

class CDIBGraph {
public:
    CDIBGraph() = default;
    virtual ~CDIBGraph() = default;

    // Loads the "JPG" resource `resourceId`. Returns 0 when there is no such resource (the object
    // then holds no picture), otherwise 1. `rect` becomes m_rcPicture unless it is empty, in which
    // case m_rcPicture is the picture's own size at (0, 0).
    int LoadJPG(int resourceId, const QRect& rect = QRect());

    // The whole picture stretched into `dest` (aspect ratio not kept).
    virtual void Draw(QPainter& painter, const QRect& dest);
    // The whole picture stretched into m_rcPicture.
    virtual void Draw(QPainter& painter);
    // The part of the picture that starts at (xSrc, ySrc) of m_rcPicture, cx by cy pixels (clipped
    // to m_rcPicture), drawn at (x, y). Nothing when the source position lies outside.
    virtual void Draw(QPainter& painter, int x, int y, int cx, int cy, int xSrc, int ySrc);

    bool HasPicture() const { return !m_pPicture.isNull(); }

    int m_bPicture = 0;  // 1 once a load was attempted
    QRect m_rcPicture;
    QPixmap m_pPicture;
};

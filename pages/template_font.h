// The fonts of the page and dialog templates ("Arial" 10 for the pages, "MS Shell Dlg" 8 for the
// page host and the dialogs), complete in themselves: a widget with one of them takes nothing of
// the fonts around it. The view the page host sits in has the platform's fixed-pitch font; without
// this the pages would inherit its fixed pitch and its typewriter style, and fontconfig would
// answer "Arial" with a monospaced face.
//
// UI thread only (fonts belong to the GUI).
#pragma once

#include <QFont>
#include <QString>

inline QFont TemplateFont(const char* family, int points) {
    QFont font(QString::fromLatin1(family), points);
    font.setStyleHint(QFont::SansSerif);
    font.setFixedPitch(false);
    font.setResolveMask(QFont::AllPropertiesResolved);
    return font;
}

// Asks the operator for the file an export goes to. The console shows the desktop's save dialog;
// tests put their own answer in its place.
//
// UI thread only.
#pragma once

#include <QString>
#include <functional>

class QWidget;

// Returns the chosen path, or an empty text when the operator cancelled.
using SaveFileChooser =
    std::function<QString(QWidget* parent, const QString& title, const QString& suggested)>;

QString ChooseSaveFile(QWidget* parent, const QString& title, const QString& suggested);
// Replaces the dialog (null restores it).
void SetSaveFileChooser(SaveFileChooser chooser);

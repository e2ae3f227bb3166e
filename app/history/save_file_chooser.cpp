#include "app/history/save_file_chooser.h"

#include <QFileDialog>

namespace {
SaveFileChooser g_chooser;
}

QString ChooseSaveFile(QWidget* parent, const QString& title, const QString& suggested) {
    if (g_chooser) {
        return g_chooser(parent, title, suggested);
    }
    return QFileDialog::getSaveFileName(parent, title, suggested,
                                        QObject::tr("CSV files (*.csv);;All files (*)"));
}

void SetSaveFileChooser(SaveFileChooser chooser) {
    g_chooser = std::move(chooser);
}

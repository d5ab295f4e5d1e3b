#pragma once

#include <QString>

class QFileDialog;
class QWidget;

/// The one place where the program asks the user for a file name: opening a picture, the
/// backdrop picture, exporting the final image. Every file dialog is made here, over the window
/// that asks (so it opens centred on it), with its list columns wide enough for what they show.
/// GUI thread only.
class FileNameDialog {
public:
    /// What the user chose; `fileName` is empty when the dialog was cancelled.
    struct Answer {
        QString fileName;
        QString selectedFilter;   // the entry of the type list chosen, such as "PNG image (*.png)"
    };

    /// Asks for an existing file in `directory`; `filter` is Qt's ";;"-separated list.
    static QString askOpen(QWidget* parent, const QString& title, const QString& directory,
                           const QString& filter);
    /// Asks where to save, proposing `proposal` (a path, or a name in the current folder).
    static Answer askSave(QWidget* parent, const QString& title, const QString& proposal,
                          const QString& filter);

    /// Sets up a file dialog the way every dialog of the program is shown; the two above use it.
    static void prepare(QFileDialog& dialog);
};

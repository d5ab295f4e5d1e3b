#pragma once

#include <QString>

class QFileDialog;
class QWidget;

/// The one place where the program asks the user for a file name: opening a picture, the
/// backdrop picture, exporting the final image. Every file dialog is made here, over the window
/// that asks (so it opens centred on it), with its list columns wide enough for what they show.
/// Pictures are looked for where the last one was opened or the final image saved.
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

    /// The open dialog for image files over `parent`, in the last image folder; the chosen
    /// file's folder becomes the last one. Empty when cancelled.
    static QString askImageFilename(QWidget* parent);
    /// The folder of the last image opened or final image saved (settings group
    /// "FileHandling"); the home folder at first.
    static QString lastImageDir();
    /// Remembers the folder of `fileName` as the last image folder.
    static void setLastImageDir(const QString& fileName);
};

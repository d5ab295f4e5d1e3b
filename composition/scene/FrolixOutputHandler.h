#pragma once

#include <QObject>

/// Holds the export file type of the composition's final image, chosen when it was last
/// exported; the save dialog lists that type first. Built on first use, lives until exit.
class FrolixOutputHandler : public QObject {
    Q_OBJECT
public:
    enum ExportFileType { Jpg = 0, Png = 1, Pdf = 2 };

    static FrolixOutputHandler* instance();

    /// The current export file type (`ExportFileType`); 0 (JPEG) at start.
    int fileType() const { return fileType_; }

signals:
    void fileTypeChanged();

public slots:
    /// Stores a file type that differs from the current one and emits `fileTypeChanged`; an
    /// equal one changes nothing. Connected to the file handler's `exportFileTypeChanged(int)`.
    void fileTypeChoosen(int fileType);

private:
    FrolixOutputHandler() = default;

    int fileType_ = Jpg;
};

#pragma once

#include <QComboBox>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QStringList>

/// Holds the export file type of the composition's final image, chosen when it was last
/// exported; the save dialog lists that type first. File-type combo boxes handed to it are
/// kept showing that type. Built on first use, lives until exit; GUI thread only.
class FrolixOutputHandler : public QObject {
    Q_OBJECT
public:
    enum ExportFileType { Jpg = 0, Png = 1, Pdf = 2 };

    static FrolixOutputHandler* instance();

    /// The current export file type (`ExportFileType`); 0 (JPEG) at start.
    int fileType() const { return fileType_; }
    /// "JPG", "PNG" and "PDF", indexed by file type.
    const QStringList& fileTypeNames() const { return fileTypeNames_; }
    /// The combo boxes kept in step with the file type (their index is the type). Guarded, so
    /// a box deleted elsewhere drops out at the next synchronisation.
    QList<QPointer<QComboBox>>& comboBoxes() { return comboBoxes_; }

    /// Sets every registered box to the current type with its signals blocked meanwhile, and
    /// forgets the boxes that are gone.
    void syncComboBoxes();

    /// The filter of the final picture's save dialog: JPEG and PNG, the one of the current
    /// export file type first (JPEG for type 0, PNG for any other, PDF included).
    QString exportFileFilter() const;

signals:
    void fileTypeChanged();

public slots:
    /// Stores a file type that differs from the current one and emits `fileTypeChanged`; an
    /// equal one changes nothing. The boxes are synchronised in either case. A value that is
    /// no export file type is ignored. Connected to the file handler's `exportFileTypeChanged`.
    void fileTypeChoosen(int fileType);

private:
    FrolixOutputHandler() = default;

    QList<QPointer<QComboBox>> comboBoxes_;
    QStringList fileTypeNames_{QStringLiteral("JPG"), QStringLiteral("PNG"), QStringLiteral("PDF")};
    int fileType_ = Jpg;
};

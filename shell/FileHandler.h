#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

class TqMainWindow;
class TqSourceImage;

/// The one way pictures enter the work: files named on the command line or chosen in the open
/// dialog, dropped or downloaded images, cut-outs reopened for editing. It keeps the recent
/// files (group "FileHandling") and exports the final image. While it exists it gives the
/// masking session (`SessionFile`) its window and host check, and reopened cut-outs
/// (`SavedCutoutState`) its own opening. Made once by the main window; GUI thread only.
class FileHandler : public QObject {
    Q_OBJECT
public:
    explicit FileHandler(TqMainWindow* mainWindow);
    ~FileHandler() override;

    /// Hands a loaded picture over: to a new cut-out, an item or the backdrop, as the user
    /// chooses. True when it was taken over; on false the caller still owns and deletes both.
    bool openSourceImage(TqSourceImage* source, TqSourceImage* output);
    /// Makes the picture the masking model's new cut-out. Refused (false, nothing taken) while
    /// the engine is still starting on an earlier picture; on false the caller owns both.
    bool openAsCutout(TqSourceImage* source, TqSourceImage* output);
    /// Puts an existing local file at the front of `list` (at most five, no repeats) and
    /// stores it under `key`; false when the list did not change.
    bool addRecent(const QString& fileName, QStringList& list, const QString& key);
    /// Asks where to export the final image, starting at `proposal` (or the last export's
    /// name), and has the composition write it. True once written; a failed write is shown
    /// to the user with its reason and returns false.
    bool exportFinalImageAs(const QString& proposal);
    /// Has the composition write the final image to `fileName` and records the modification
    /// count; a failure is shown with its reason and returns false.
    bool writeFinalImage(const QString& fileName);

    const QStringList& recentFiles() const { return recentFiles_; }
    QString finalImageName() const { return finalImageName_; }
    /// The name the masking session's messages give it.
    QString projectName() const { return projectName_; }
    void setProjectName(const QString& name) { projectName_ = name; }
    /// The engine's modification count at the last successful export.
    int savedModificationCount() const { return savedModificationCount_; }

signals:
    void recentFilesChanged(QStringList files);
    void exportFileTypeChanged(int fileType);

public slots:
    void loadFile(const QString& fileName);
    bool loadImage(const QString& fileName);
    QString askImageFilename();
    void compositionNewSlot();
    bool fileSaveAsSlot();

    /// The export type of a suffix, case aside: 0 for "jpg" and "jpeg", 1 for "png", else -1.
    static int exportTypeOfSuffix(const QString& suffix);
    /// The name an export writes: `chosen` when its suffix is one we write, else `chosen` with
    /// the suffix of the selected filter entry appended.
    static QString exportName(const QString& chosen, const QString& selectedFilter);

private:
    bool engineStarting() const;
    void showCompositionTab() const;
    void warn(const QString& text) const;

    TqMainWindow* mainWindow_ = nullptr;
    QString finalImageName_;
    QString projectName_;
    int savedModificationCount_ = 0;
    QStringList recentFiles_;
};

/// The file handler while it exists, else null.
extern FileHandler* theFileHandler;

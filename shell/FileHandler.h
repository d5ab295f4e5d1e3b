#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

class QIODevice;
class QMainWindow;
class QWidget;
class TqSourceImage;

/// The one way pictures enter the work: files named on the command line or chosen in the open
/// dialog, dropped or downloaded images, cut-outs reopened for editing. It keeps the recent
/// files and the last folder (group "FileHandling"), reads and writes the masking-session
/// stream, and exports the final image. Made once by the main window; GUI thread only.
class FileHandler : public QObject {
    Q_OBJECT
public:
    explicit FileHandler(QMainWindow* mainWindow);
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
    /// The folder of the last image opened or final image saved; the home folder at first.
    static QString lastImageDir();
    /// Remembers the folder of `fileName` as the last image folder.
    static void setLastImageDir(const QString& fileName);
    /// The open dialog for image files over `parent`, in the last image folder; the chosen
    /// file's folder becomes the last one. Empty when cancelled.
    static QString askImageFilename(QWidget* parent);
    /// Asks where to export the final image, starting at `proposal` (or the last export's
    /// name), and has the composition write it. True once written; a failed write is shown
    /// to the user with its reason and returns false.
    bool exportFinalImageAs(const QString& proposal);
    /// Has the composition write the final image to `fileName` and records the modification
    /// count; a failure is shown with its reason and returns false.
    bool writeFinalImage(const QString& fileName);

    /// Writes the masking session for a private temporary copy: the stream of `saveProject`,
    /// read back alike to the same pixels, with its pictures compressed lightly so that
    /// placing a cut-out does not wait long on them. False as for `saveProject`.
    bool saveProjectQuickly(QIODevice& device);

    const QList<int>& supportedVersions() const { return supportedVersions_; }
    const QStringList& recentFiles() const { return recentFiles_; }
    QString finalImageName() const { return finalImageName_; }
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
    /// Writes the masking session; false, with the reason in the log, when the device refused
    /// any of it or a value of the session would not read back.
    bool saveProject(QIODevice& device);
    /// Reads a masking session into the model. All or nothing: the stream is read and checked
    /// whole before the open image is closed; any fault leaves the work as it was and returns
    /// false. Without `refusal` the fault is shown in the format message; with it, no message
    /// is shown and `refusal` gets one sentence saying why, for a caller that tells the user
    /// in its own message.
    bool loadProject(QIODevice& device, QString* refusal = nullptr);

    /// The export type of a suffix, case aside: 0 for "jpg" and "jpeg", 1 for "png", else -1.
    static int exportTypeOfSuffix(const QString& suffix);
    /// The name an export writes: `chosen` when its suffix is one we write, else `chosen` with
    /// the suffix of the selected filter entry appended.
    static QString exportName(const QString& chosen, const QString& selectedFilter);

private:
    bool engineStarting() const;
    bool writeSession(QIODevice& device, bool quick);
    void showCompositionTab() const;
    void warn(const QString& text) const;

    QList<int> supportedVersions_{8, 9, 10, 11};
    QMainWindow* mainWindow_ = nullptr;
    QString finalImageName_;
    QString projectName_;
    int savedModificationCount_ = 0;
    QStringList recentFiles_;
};

/// The file handler while it exists, else null.
extern FileHandler* theFileHandler;

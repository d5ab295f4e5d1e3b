#pragma once

#include <QString>
#include <QTemporaryFile>

#include <functional>

class TqSourceImage;

/// The masking session of a cut-out placed on the composition, kept so that the cut-out can
/// be opened for editing again: first the picture alone, then, once saved, the whole session
/// in a temporary file of its own that goes with the record. GUI thread only.
class SavedCutoutState {
public:
    /// Takes over `image` (may be null); the file stays empty until `save`.
    explicit SavedCutoutState(TqSourceImage* image = nullptr);
    /// A new file with the other's bytes and a copy of its picture; item and corner are not
    /// copied. A copy that cannot be made whole leaves the new file empty.
    SavedCutoutState(const SavedCutoutState& other);
    SavedCutoutState& operator=(const SavedCutoutState&) = delete;
    /// Clears `editedCutoutState` when it is this one.
    ~SavedCutoutState();

    /// Writes the current masking session over the file, atomically. Only once the new bytes
    /// are in place is the held picture deleted; on any failure the earlier bytes and the
    /// picture stay, the log says why, and the result is false.
    bool save();
    /// Makes this cut-out the one being edited: reads the saved session, or offers a copy of
    /// the held picture as a new cut-out through the picture opener. False when neither is
    /// there or either fails; then nothing is shown, and `refusal` (when given) gets why in
    /// one sentence, or stays empty when there is nothing to tell the user.
    bool restore(QString* refusal = nullptr);

    /// Makes a picture the new cut-out being edited: true when it took the picture over, false
    /// when it refused it (the caller still owns it then).
    using PictureOpener = std::function<bool(TqSourceImage* picture)>;
    /// Sets how `restore` opens a held picture: the shell's own opening. Without one (an empty
    /// function) a picture alone is not restored.
    static void setPictureOpener(PictureOpener opener);
    /// The name of the picture the cut-out was made from (a file's path, a download's
    /// address); empty when it came without one.
    QString pictureName() const { return pictureName_; }

    QString fileName() const { return file_.fileName(); }
    /// Bytes in the file (0 before the first save).
    qint64 savedSize() const;
    TqSourceImage* image() const { return image_; }

    void* item = nullptr;   ///< the composition item showing this cut-out; null in a copy
    int x = 0;              ///< top-left of the trimmed cut-out within its picture
    int y = 0;

private:
    QTemporaryFile file_;
    TqSourceImage* image_ = nullptr;
    QString pictureName_;   // kept past the save, so a damaged session can still be named
};

/// The cut-out being edited in the masking view when it came from the composition: its
/// finished result goes back to the item holding this state. Null when there is none; a state
/// that is destroyed clears it, so it never names a deleted record.
extern SavedCutoutState* editedCutoutState;

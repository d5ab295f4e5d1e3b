#include "masking/SavedCutoutState.h"

#include "masking/GmModel.h"
#include "masking/SessionFile.h"
#include "masking/TqSourceImage.h"
#include "common/LogStream.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QSaveFile>

#include <utility>

namespace {

void logProblem(const QString& what) {
    beginLogLine() << "SavedCutoutState: " << what;
    endLogLine();
}

SavedCutoutState::PictureOpener& pictureOpener() {
    static SavedCutoutState::PictureOpener opener;
    return opener;
}

}  // namespace

SavedCutoutState::SavedCutoutState(TqSourceImage* image)
    : image_(image), pictureName_(image ? image->name() : QString()) {
    const QString folder = temporaryFolder();
    if (folder.isEmpty()) {
        // No name at all: saving then fails and says so, rather than writing somewhere else.
        logProblem(QStringLiteral("cannot make a temporary file: the temporary folder %1 "
                                  "does not exist")
                       .arg(QFile::decodeName(qgetenv("TMPDIR"))));
        return;
    }
    file_.setFileTemplate(folder + QLatin1Char('/') + QFileInfo(file_.fileTemplate()).fileName());
    // Opening once gives the file its name; it stays on disk, empty, until the record goes.
    if (file_.open())
        file_.close();
    else
        logProblem(QStringLiteral("cannot make a temporary file: %1").arg(file_.errorString()));
}

SavedCutoutState::SavedCutoutState(const SavedCutoutState& other)
    : SavedCutoutState(other.image_ ? new TqSourceImage(*other.image_) : nullptr) {
    pictureName_ = other.pictureName_;
    if (other.savedSize() <= 0)
        return;
    QFile source(other.fileName());
    if (fileName().isEmpty() || !source.open(QIODevice::ReadOnly) || !file_.open()) {
        logProblem(QStringLiteral("cannot copy %1").arg(other.fileName()));
        return;
    }
    bool whole = true;
    char block[1024];
    for (;;) {
        const qint64 got = source.read(block, sizeof block);
        if (got <= 0) {
            whole = got == 0;
            break;
        }
        if (file_.write(block, got) != got) {
            whole = false;
            break;
        }
    }
    whole = whole && file_.flush();
    if (!whole) {
        // A partial copy would pass for a session: an empty file is honest.
        logProblem(QStringLiteral("copying %1 failed: %2").arg(other.fileName(), file_.errorString()));
        file_.resize(0);
    }
    file_.close();
}

SavedCutoutState* editedCutoutState = nullptr;

void SavedCutoutState::setPictureOpener(PictureOpener opener) {
    pictureOpener() = std::move(opener);
}

SavedCutoutState::~SavedCutoutState() {
    if (editedCutoutState == this)
        editedCutoutState = nullptr;
    delete image_;
}

qint64 SavedCutoutState::savedSize() const {
    return file_.fileName().isEmpty() ? 0 : QFileInfo(file_.fileName()).size();
}

bool SavedCutoutState::save() {
    if (file_.fileName().isEmpty()) {
        logProblem(QStringLiteral("nothing to save into"));
        return false;
    }
    QSaveFile out(file_.fileName());
    if (!out.open(QIODevice::WriteOnly)) {
        logProblem(QStringLiteral("cannot write %1: %2").arg(out.fileName(), out.errorString()));
        return false;
    }
    // The file is ours alone and read back on this machine: light compression keeps placing
    // the cut-out quick.
    if (!SessionFile::saveQuickly(out)) {
        logProblem(QStringLiteral("writing %1 failed: %2").arg(out.fileName(), out.errorString()));
        out.cancelWriting();
        return false;
    }
    // A short write at the last flush (a full device, a size limit) can go unreported and
    // be committed anyway; the bytes on disk must be all the bytes written.
    if (!out.flush() || out.size() != out.pos()) {
        logProblem(QStringLiteral("writing %1 stopped short: %2").arg(out.fileName(), out.errorString()));
        out.cancelWriting();
        return false;
    }
    if (!out.commit()) {
        logProblem(QStringLiteral("replacing %1 failed: %2").arg(out.fileName(), out.errorString()));
        return false;
    }
    if (const GmModel* model = GmModel::existing(); model && model->sourceImage())
        pictureName_ = model->sourceImage()->name();
    delete image_;
    image_ = nullptr;
    return true;
}

bool SavedCutoutState::restore(QString* refusal) {
    if (savedSize() > 0) {
        QFile in(file_.fileName());
        if (!in.open(QIODevice::ReadOnly)) {
            logProblem(QStringLiteral("cannot read %1: %2").arg(in.fileName(), in.errorString()));
            if (refusal)
                *refusal = QCoreApplication::translate("SavedCutoutState",
                                                       "Its saved session cannot be read.");
            return false;
        }
        QString reason;
        const bool loaded = SessionFile::load(in, &reason);
        if (refusal)
            *refusal = reason;
        return loaded;
    }
    if (!image_ || !pictureOpener())
        return false;
    auto* copy = new TqSourceImage(*image_);
    const bool opened = pictureOpener()(copy);
    if (!opened)
        delete copy;
    return opened;
}

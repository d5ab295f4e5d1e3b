#include "masking/SessionFile.h"

#include "masking/GmModel.h"
#include "masking/SessionStream.h"
#include "masking/TqSourceImage.h"
#include "common/LogStream.h"
#include "common/Product.h"
#include "common/WaitCursor.h"

#include <QCoreApplication>
#include <QMessageBox>

#include <new>
#include <utility>

namespace {

SessionFile::Surroundings& surroundings() {
    static SessionFile::Surroundings given;
    return given;
}

QString sessionName() {
    return surroundings().name ? surroundings().name() : QString();
}

// The session was read and written by the file handler once: its texts keep that translation
// context and its log lines that name.
void logLine(const QString& text) {
    beginLogLine() << "FileHandler: " << text;
    endLogLine();
}

}  // namespace

void SessionFile::setSurroundings(Surroundings given) {
    surroundings() = std::move(given);
}

const QList<int>& SessionFile::supportedVersions() {
    static const QList<int> versions{8, 9, 10, 11};
    return versions;
}

bool SessionFile::save(QIODevice& device) {
    return write(device, false);
}

bool SessionFile::saveQuickly(QIODevice& device) {
    return write(device, true);
}

bool SessionFile::write(QIODevice& device, bool quick) {
    WaitCursor wait;
    GmModel* model = GmModel::instance();
    const quint16 check = model->sourceImage() ? model->sourceImage()->imageCheck() : 0;
    try {
        QString problem;
        if (SessionStream::write(device, check, model->toVariant(),
                                 quick ? SessionStream::Pictures::Quick
                                       : SessionStream::Pictures::Standard,
                                 &problem))
            return true;
        logLine(QStringLiteral("the session was not saved: ") + problem);
        return false;
    } catch (const std::bad_alloc&) {
        logLine(QStringLiteral("out of memory while saving the session"));
        return false;
    }
}

bool SessionFile::load(QIODevice& device, QString* refusal) {
    const QString name = sessionName();
    auto refuse = [refusal](const QString& message, const QString& reason) {
        if (refusal)
            *refusal = reason;
        else
            QMessageBox::warning(surroundings().window, productDisplayName(), message,
                                 QMessageBox::Ok);
        return false;
    };
    const QString formatMessage = QCoreApplication::translate(
        "FileHandler", "File is not of the correct format \n%1", "[tq3,zol]");
    const QString damaged =
        QCoreApplication::translate("FileHandler", "Its saved session is damaged.", "[zol]");
    SessionStream::Contents read;
    {
        WaitCursor wait;
        read = SessionStream::read(device, supportedVersions());
    }
    if (read.outcome == SessionStream::Outcome::UnsupportedVersion) {
        logLine(QStringLiteral("%1 refused: %2").arg(name, read.problem));
        return refuse(QCoreApplication::translate(
                          "FileHandler", "Cannot load unsupported version %1 of %2 file \n%3",
                          "[tq3,zol]")
                          .arg(read.version)
                          .arg(QString(), name),
                      QCoreApplication::translate(
                          "FileHandler",
                          "Its saved session has version %1, which this version cannot read.",
                          "[zol]")
                          .arg(read.version));
    }
    if (read.outcome != SessionStream::Outcome::Read) {
        logLine(QStringLiteral("%1 refused: %2").arg(name, read.problem));
        return refuse(formatMessage.arg(name), damaged);
    }
    GmModel* model = GmModel::instance();
    if (model->hostOwnsImage() &&
        (!model->sourceImage() || model->sourceImage()->imageCheck() != read.imageCheck)) {
        return refuse(QCoreApplication::translate("FileHandler",
                                                  "Cannot load %1 file\n\n%2\n\nbecause it was "
                                                  "not created from the current image",
                                                  "[tq3]")
                          .arg(QString(), name),
                      QCoreApplication::translate(
                          "FileHandler", "Its saved session was not made from the current image.",
                          "[zol]"));
    }
    QString problem;
    if (!model->checkVariant(read.model, &problem)) {
        logLine(QStringLiteral("%1 refused: %2").arg(name, problem));
        return refuse(formatMessage.arg(name), damaged);
    }
    if (!model->closeImage())
        return false;
    model->fromVariant(read.model);
    return true;
}

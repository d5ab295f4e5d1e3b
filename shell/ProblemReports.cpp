#include "shell/ProblemReports.h"

#include "shell/DistributorCustomisation.h"
#include "common/LogStream.h"
#include "common/Product.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>

namespace {

// The box's texts are translated in this context.
constexpr const char* translationContext = "ProblemReports";

// The event folder must be a real folder inside the log folder: everything in it is deleted.
bool ensureEventFolder(const QString& eventFolder) {
    const QFileInfo info(eventFolder);
    if (info.isSymLink())
        return false;
    if (!info.exists() && !QDir().mkdir(eventFolder))
        return false;
    return QFileInfo(eventFolder).isDir();
}

void emptyFolder(const QString& folder) {
    const QFileInfoList entries =
        QDir(folder).entryInfoList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QFileInfo& entry : entries)
        QFile::remove(entry.absoluteFilePath());
}

}  // namespace

void checkProblemReports(QWidget* parent) {
    if (!ensureLogFolder())   // not ours: its files are none of our business
        return;
    const QString folder = logFolder();
    const QStringList dumps = QDir(folder).entryList(
        {QStringLiteral("*.dmp")}, QDir::Files | QDir::Hidden | QDir::NoSymLinks, QDir::Name);
    if (dumps.isEmpty())
        return;

    const QString eventFolder = folder + QStringLiteral("/Event");
    if (!ensureEventFolder(eventFolder)) {
        beginLogLine() << "Problem reports left in place: cannot use " << eventFolder;
        endLogLine();
        return;
    }
    emptyFolder(eventFolder);

    // A dump or log that is missing or cannot be moved is skipped; the user is told anyway.
    const QString dump = dumps.first();
    const QString log = dump.left(dump.size() - 4) + QStringLiteral(".txt");
    QFile::rename(folder + QLatin1Char('/') + dump, eventFolder + QLatin1Char('/') + dump);
    QFile::rename(folder + QLatin1Char('/') + log, eventFolder + QLatin1Char('/') + log);

    const QString title =
        QCoreApplication::translate(translationContext, "Problem Reports Detected");
    const QString text =
        QCoreApplication::translate(
            translationContext,
            "<p>%1 recently shutdown unexpectedly.<br/>Log files were saved in:</p>"
            "<p align='center'><font color='blue'>%2</font></p>"
            "<p>Please help improve this product by emailing these files to:</p>"
            "<p align='center'><font color='blue'>%3</font></p><p>Thank you.</p>")
            .arg(productDisplayName().toHtmlEscaped(),
                 QFileInfo(eventFolder).canonicalFilePath().toHtmlEscaped(),
                 supportEmailAddress().toHtmlEscaped());
    QMessageBox::information(parent, title, text, QMessageBox::Ok);
}

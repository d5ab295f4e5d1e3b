#include "common/FileNameDialog.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QImageReader>
#include <QSettings>
#include <QStringList>
#include <QTreeView>

namespace {

const QString group = QStringLiteral("FileHandling");
const QString lastDirKey = QStringLiteral("LastImageDir");

FileNameDialog::Answer run(QFileDialog& dialog) {
    FileNameDialog::prepare(dialog);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    // The dialog's own loop has ended; what it chose is read once, here.
    return {dialog.selectedFiles().value(0), dialog.selectedNameFilter()};
}

}  // namespace

void FileNameDialog::prepare(QFileDialog& dialog) {
    // The detail view's columns: the name takes the room left over, the others are as wide as
    // their widest entry, so that a size reads "32.5 KiB" and not "32....KiB". Set after the
    // dialog restored the header it saved last time, which would otherwise win.
    if (auto* details = dialog.findChild<QTreeView*>(QStringLiteral("treeView"))) {
        QHeaderView* header = details->header();
        header->setStretchLastSection(false);
        header->setSectionResizeMode(QHeaderView::ResizeToContents);
        header->setSectionResizeMode(0, QHeaderView::Stretch);
    }
}

QString FileNameDialog::askOpen(QWidget* parent, const QString& title, const QString& directory,
                                const QString& filter) {
    QFileDialog dialog(parent, title, directory, filter);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    return run(dialog).fileName;
}

FileNameDialog::Answer FileNameDialog::askSave(QWidget* parent, const QString& title,
                                               const QString& proposal, const QString& filter) {
    QFileDialog dialog(parent, title, proposal, filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    return run(dialog);
}

QString FileNameDialog::askImageFilename(QWidget* parent) {
    QStringList patterns;
    for (const QByteArray& format : QImageReader::supportedImageFormats())
        patterns << QStringLiteral("*.%1").arg(QString::fromLatin1(format));
    // The file handler asked for image files once: the texts keep its translation context.
    const QString filter =
        QCoreApplication::translate("FileHandler", "Images (%1)",
                                    "[all]A description of the type of file we can load")
            .arg(patterns.join(' '))
        + QCoreApplication::translate("FileHandler", ";;All files (*)", "[all]");
    const QString name = askOpen(parent, QCoreApplication::translate("FileHandler", "Open", "[all]"),
                                 lastImageDir(), filter);
    if (!name.isEmpty())
        setLastImageDir(name);
    return name;
}

QString FileNameDialog::lastImageDir() {
    QSettings settings;
    settings.beginGroup(group);
    return settings.value(lastDirKey, QDir::homePath()).toString();
}

void FileNameDialog::setLastImageDir(const QString& fileName) {
    QSettings settings;
    settings.beginGroup(group);
    settings.setValue(lastDirKey, QFileInfo(fileName).absolutePath());
}

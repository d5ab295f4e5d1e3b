#include "shell/GasPipe.h"

#include "shell/LogStream.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

GasPipe* theGasPipe = nullptr;

namespace {

struct ControlFileResults {
    QString inputImagePath;
    QString outputImagePath;
    QString configurationText;
};

ControlFileResults& results() {
    static ControlFileResults kept;
    return kept;
}

}  // namespace

GasPipe::GasPipe(const QString& path, QObject* parent) : QObject(parent), path_(path) {}

GasPipe::~GasPipe() {
    if (theGasPipe == this)
        theGasPipe = nullptr;
}

bool GasPipe::read() {
    QFile file(path_);
    if (!file.open(QIODevice::ReadOnly))
        throw OpenError(QStringLiteral("Unable to open XML control file: ") + path_);
    QString error;
    int line = 0;
    int column = 0;
    index_.clear();
    indexed_ = false;
    if (!document_.setContent(&file, &error, &line, &column)) {
        beginLogLine() << "XML control file " << path_ << " not read: " << error << " (line "
                       << line << ", column " << column << ")";
        endLogLine();
        return false;
    }
    ControlFileResults& kept = results();
    kept.inputImagePath = resolvedSource(QStringLiteral("imageIn"));
    kept.outputImagePath = resolvedSource(QStringLiteral("imageOut"));
    kept.configurationText = elementById(QStringLiteral("config")).text();
    return true;
}

QString GasPipe::resolvedSource(const QString& id) {
    const QString folder = QFileInfo(path_).absolutePath();
    const QString source = attributeById(id, QStringLiteral("src"));
    // An absolute "src" stands as it is; without one the folder itself is named.
    return source.isEmpty() ? folder + QLatin1Char('/') : QDir(folder).filePath(source);
}

void GasPipe::buildIndex() {
    index_.clear();
    // Depth first in document order, so a later element replaces an earlier one of the same id.
    const QDomElement root = document_.documentElement();
    QDomNode node = root;
    while (!node.isNull()) {
        const QDomElement element = node.toElement();
        if (element.hasAttribute(QStringLiteral("id")))
            index_.insert(element.attribute(QStringLiteral("id")), element);
        QDomNode next = node.firstChildElement();
        if (next.isNull()) {
            // Up until a following sibling element exists, never past the root.
            for (QDomNode up = node; next.isNull() && up != root && !up.isNull();
                 up = up.parentNode())
                next = up.nextSiblingElement();
        }
        node = next;
    }
    indexed_ = true;
}

QDomElement GasPipe::elementById(const QString& id) {
    if (!indexed_)
        buildIndex();
    return index_.value(id);
}

QString GasPipe::attributeById(const QString& id, const QString& name) {
    return elementById(id).attribute(name);
}

QString GasPipe::inputImagePath() { return results().inputImagePath; }
QString GasPipe::outputImagePath() { return results().outputImagePath; }
QString GasPipe::configurationText() { return results().configurationText; }

GasPipe* replaceTheGasPipe(const QString& path, QObject* parent) {
    delete theGasPipe;
    theGasPipe = new GasPipe(path, parent);
    return theGasPipe;
}

bool readTheGasPipe() {
    if (!theGasPipe)
        return false;
    try {
        return theGasPipe->read();
    } catch (const GasPipe::OpenError& error) {
        beginLogLine() << error.text;
        endLogLine();
        return false;
    }
}

#include "shell/GasPipe.h"

#include "platform/RegularFile.h"
#include "common/LogStream.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QXmlStreamReader>

#include <unistd.h>

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

// A host writes a few paths and a configuration text; these bounds leave room for far more.
constexpr qint64 largestControlFile = qint64(4) << 20;
constexpr int deepestControlNesting = 256;

// Where the parse stopped, as the DOM parser would say it.
struct ParseProblem {
    QString text;
    qint64 line = 0;
    qint64 column = 0;
};

// Qt's DOM parser descends once per open element on the thread's stack, so a file of deep or
// unclosed nesting ends the process. The stream reader keeps its own stack; it walks the file
// first and the DOM parser sees only what stays within the bound.
bool shallowAndWellFormed(const QByteArray& bytes, ParseProblem& problem) {
    QXmlStreamReader reader(bytes);
    int depth = 0;
    while (!reader.atEnd()) {
        const QXmlStreamReader::TokenType token = reader.readNext();
        if (token == QXmlStreamReader::StartElement && ++depth > deepestControlNesting) {
            problem.text =
                QStringLiteral("elements nested more than %1 deep").arg(deepestControlNesting);
            problem.line = reader.lineNumber();
            problem.column = reader.columnNumber();
            return false;
        }
        if (token == QXmlStreamReader::EndElement)
            --depth;
    }
    if (!reader.hasError())
        return true;
    problem.text = reader.errorString();
    problem.line = reader.lineNumber();
    problem.column = reader.columnNumber();
    return false;
}

}  // namespace

GasPipe::GasPipe(const QString& path, QObject* parent) : QObject(parent), path_(path) {}

GasPipe::~GasPipe() {
    if (theGasPipe == this)
        theGasPipe = nullptr;
}

bool GasPipe::read() {
    // Only a regular file: opening a FIFO that has no writer would hold the GUI thread forever.
    QFile file;
    const int descriptor =
        zqplatform::openRegularFileForReading(QFile::encodeName(path_).constData());
    if (descriptor < 0
        || !file.open(descriptor, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        if (descriptor >= 0)
            ::close(descriptor);
        throw OpenError(QStringLiteral("Unable to open XML control file: ") + path_);
    }
    index_.clear();
    indexed_ = false;
    const QByteArray bytes = file.read(largestControlFile + 1);
    ParseProblem problem;
    if (bytes.size() > largestControlFile)
        problem.text = QStringLiteral("larger than %1 bytes").arg(largestControlFile);
    else if (shallowAndWellFormed(bytes, problem)) {
        int line = 0;
        int column = 0;
        if (!document_.setContent(bytes, &problem.text, &line, &column)) {
            problem.line = line;
            problem.column = column;
        }
    }
    if (!problem.text.isEmpty()) {
        beginLogLine() << "XML control file " << path_ << " not read: " << problem.text << " (line "
                       << problem.line << ", column " << problem.column << ")";
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

#pragma once

#include <QDomDocument>
#include <QDomElement>
#include <QMap>
#include <QObject>
#include <QString>

#include <stdexcept>

/// An XML control file (".btqx") through which a host hands work over. Any element anywhere in
/// it may carry an "id"; elements are found by that value, whatever their tags and nesting:
/// "imageIn" and "imageOut" name the input and output images in their "src" attribute
/// (relative to the file's folder, or absolute), "config" holds a configuration text.
class GasPipe : public QObject {
    Q_OBJECT
public:
    /// The file could not be opened; `what()` is the text to show or log.
    class OpenError : public std::runtime_error {
    public:
        explicit OpenError(const QString& text)
            : std::runtime_error(text.toStdString()), text(text) {}
        QString text;
    };

    /// Keeps the path; nothing is read yet.
    explicit GasPipe(const QString& path, QObject* parent = nullptr);
    /// Clears `theGasPipe` when it is this one.
    ~GasPipe() override;

    const QString& path() const { return path_; }

    /// Reads and parses this object's file. On success the process-wide results (input path,
    /// output path, configuration text) are replaced and true returned; malformed XML, a file
    /// over 4 MB and elements nested more than 256 deep return false (the log says why) and
    /// leave them as they were. Throws `OpenError` when the file does not open or is no
    /// regular file (a FIFO, a folder, a device), so the caller is never kept waiting.
    bool read();

    /// The element whose "id" is `id`, the last one in document order when several share it;
    /// a null element when none does.
    QDomElement elementById(const QString& id);

    /// The attribute `name` of the element found by `id`; empty when either is missing.
    QString attributeById(const QString& id, const QString& name);

    /// The results of the last successful read in this process (empty before one).
    static QString inputImagePath();
    static QString outputImagePath();
    static QString configurationText();

private:
    void buildIndex();
    QString resolvedSource(const QString& id);

    QString path_;
    QDomDocument document_{QStringLiteral("GasPipe")};
    QMap<QString, QDomElement> index_;
    bool indexed_ = false;
};

/// The control file most recently delivered, or null.
extern GasPipe* theGasPipe;

/// Makes a `GasPipe` for `path` the process's one (a child of `parent`); the previous one is
/// deleted.
GasPipe* replaceTheGasPipe(const QString& path, QObject* parent);

/// Reads `theGasPipe` when there is one. A file that does not open is logged as
/// "Unable to open XML control file: <path>" and the run goes on. True when it was read.
bool readTheGasPipe();

#include "shell/StyleSheetVariables.h"

#include <QDomDocument>
#include <QDomElement>
#include <QDomNodeList>
#include <QtGlobal>

QString expandStyleSheet(const QString& sheet, const QByteArray& variablesXml) {
    QDomDocument document;
    QString error;
    int line = 0;
    int column = 0;
    if (!document.setContent(variablesXml, true, &error, &line, &column)) {
        qWarning("Style sheet variables not read (line %d, column %d): %s", line, column,
                 qUtf8Printable(error));
        return sheet;
    }
    QString expanded = sheet;
    const QDomNodeList variables = document.elementsByTagName(QStringLiteral("regexp"));
    for (int i = 0; i < variables.count(); ++i) {
        const QDomElement variable = variables.at(i).toElement();
        const QString key = variable.attribute(QStringLiteral("key"));
        if (key.isEmpty())
            continue;
        expanded.replace(key, variable.text(), Qt::CaseSensitive);
    }
    return expanded;
}

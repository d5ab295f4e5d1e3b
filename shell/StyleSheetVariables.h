#pragma once

#include <QByteArray>
#include <QString>

/// `sheet` with every placeholder that `variablesXml` names replaced by its text: each
/// "regexp" element of the document, in document order, replaces every occurrence of its
/// "key" attribute, as plain case-sensitive text, by the element's text. An element without
/// a key (or with an empty one) is skipped: an empty key would insert its text between every
/// two characters. A document that cannot be parsed changes nothing and is reported as a
/// warning; the placeholders are comments, so the sheet stays valid.
QString expandStyleSheet(const QString& sheet, const QByteArray& variablesXml);

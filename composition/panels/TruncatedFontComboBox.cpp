#include "composition/panels/TruncatedFontComboBox.h"

#include <QFontMetrics>
#include <QLineEdit>

#include <algorithm>

TruncatedFontComboBox::TruncatedFontComboBox(QWidget* /*parent*/) : QFontComboBox(nullptr) {
    updateMaxLength();
}

void TruncatedFontComboBox::updateMaxLength() {
    QLineEdit* edit = lineEdit();
    if (!edit || count() == 0)
        return;
    const QFontMetrics metrics(edit->font());
    const int width = edit->width();
    const int widest = metrics.maxWidth() > 0 ? metrics.maxWidth() : 1;
    const int start = std::max(0, width / widest);
    int limit = 32767;
    for (int i = 0; i < count(); ++i) {
        const QString name = itemText(i);
        // Prefixes shorter than `start` surely fit, so the scan starts there.
        for (int n = start; n < name.size(); ++n) {
            if (n > 0 && metrics.horizontalAdvance(name.left(n)) >= width) {
                limit = std::min(limit, n);
                break;
            }
        }
    }
    const int before = edit->maxLength();
    edit->setMaxLength(limit);
    // setMaxLength cuts the text but never gives it back; a raised limit shows the name again.
    if (limit > before && currentIndex() >= 0) {
        const QString name = itemText(currentIndex());
        if (edit->text() != name.left(limit))
            edit->setText(name);
    }
}

void TruncatedFontComboBox::resizeEvent(QResizeEvent* event) {
    QFontComboBox::resizeEvent(event);
    updateMaxLength();
}

void TruncatedFontComboBox::changeEvent(QEvent* event) {
    QFontComboBox::changeEvent(event);
    updateMaxLength();
}

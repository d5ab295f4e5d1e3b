#pragma once

#include <QFileDialog>
#include <QLineEdit>
#include <QString>

// Answers an open file dialog as a user does: `filter` chosen in the type list (when given),
// `path` typed into the name box, then the dialog's own accept() with its checks (a file that
// must exist, the question before replacing one). QFileDialog::selectFile alone leaves the name
// box as it is while the box has the keyboard focus, and whether it has it yet depends on how
// soon after the dialog came up this runs: the path is typed into the box itself.
inline void typeIntoFileDialog(QFileDialog* files, const QString& path,
                               const QString& filter = QString()) {
    if (!filter.isEmpty())
        files->selectNameFilter(filter);
    files->selectFile(path);   // its folder, and no row left chosen from the proposal
    if (auto* name = files->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
        name->setText(path);
    static_cast<QDialog*>(files)->accept();   // virtual: the file dialog's own
}

#pragma once

#include <QWidget>

class GmSubWindow;
class QVBoxLayout;

/// The column at the right edge of the main window that docked sub-windows sit in, top to
/// bottom above a stretch. It is shown exactly while one of them is visible in it; the check
/// follows a sub-window's change one turn of the event loop later. Starts hidden.
class FakeDock : public QWidget {
    Q_OBJECT
public:
    explicit FakeDock(QWidget* parent);

    /// Inserts `w` above the stretch, taking all spare height when it is resizable.
    void addSubWindow(GmSubWindow* w);
    void removeSubWindow(GmSubWindow* w);

public slots:
    /// Shows the column when any of its sub-windows is visible in it, hides it otherwise.
    void childVisibilityChanged();

private:
    QVBoxLayout* layout_;
};

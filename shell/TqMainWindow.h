#pragma once

#include "masking/NamedImage.h"

#include <QMainWindow>
#include <QPointF>
#include <QString>
#include <QStringList>

/// The main window. It deletes itself when closed, which ends the run.
///
/// For now it is the frame only: it holds no views yet, so the files it is asked to open are
/// kept, in order, for the views to take.
class TqMainWindow : public QMainWindow {
    Q_OBJECT
public:
    /// Shows the window maximized, asks for `filesToOpen` in order, then reports the problem
    /// reports a crash left behind.
    explicit TqMainWindow(const QStringList& filesToOpen = QStringList(),
                          QWidget* parent = nullptr);
    ~TqMainWindow() override;

    /// Asks the window to open an image file.
    void loadFile(const QString& fileName);

    /// The files asked for so far, oldest first.
    const QStringList& requestedFiles() const { return requestedFiles_; }

public slots:
    /// The best image of a drop or download. For now it is only logged.
    void receivedImageSlot(NamedImage image);

    /// Text dropped at `position` (composition coordinates). For now it is only logged.
    void receivedTextSlot(QString text, QPointF position);

private:
    QStringList requestedFiles_;
};

/// The main window while it exists, else null.
extern TqMainWindow* theMainWindow;

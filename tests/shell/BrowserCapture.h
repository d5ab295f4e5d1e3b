#pragma once

#include <QDesktopServices>
#include <QList>
#include <QObject>
#include <QUrl>

/// Takes the place of the web browser while it exists: every address the program opens in
/// the schemes "http", "https" and "file" is kept here instead.
class BrowserCapture : public QObject {
    Q_OBJECT
public:
    BrowserCapture() {
        for (const char* scheme : {"http", "https", "file"})
            QDesktopServices::setUrlHandler(QLatin1String(scheme), this, "open");
    }
    ~BrowserCapture() override {
        for (const char* scheme : {"http", "https", "file"})
            QDesktopServices::unsetUrlHandler(QLatin1String(scheme));
    }

    QList<QUrl> opened;

public slots:
    void open(const QUrl& url) { opened.append(url); }
};

/// Answers the next message boxes by the text of a button, in order, and keeps what each
/// showed.
#include <QApplication>
#include <QMessageBox>
#include <QAbstractButton>
#include "tests/shell/ModalWatch.h"
#include <QStringList>

class BoxAnswerer {
public:
    explicit BoxAnswerer(QStringList answers)
        : answers_(std::move(answers)), watch_([this](QDialog* dialog) { answer(dialog); }) {}

    struct Shown {
        QString title;
        QString text;
        QStringList buttons;
        bool hasParent = false;
    };
    QList<Shown> shown;

private:
    void answer(QDialog* dialog) {
        auto* box = qobject_cast<QMessageBox*>(dialog);
        if (!box || answers_.isEmpty())
            return;
        Shown seen{box->windowTitle(), box->text(), {}, box->parentWidget() != nullptr};
        QAbstractButton* chosen = nullptr;
        for (QAbstractButton* button : box->buttons()) {
            seen.buttons.append(button->text());
            if (button->text() == answers_.first())
                chosen = button;
        }
        shown.append(seen);
        answers_.removeFirst();
        if (chosen)
            chosen->click();
        else
            box->reject();
    }

    QStringList answers_;
    ModalWatch watch_;
};

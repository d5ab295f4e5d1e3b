#pragma once

#include <QVBoxLayout>

/// A sub-window's own layout: the title bar first, then the content.
class GmSubWindowLayout : public QVBoxLayout {
    Q_OBJECT
public:
    explicit GmSubWindowLayout(QWidget* parent);
};

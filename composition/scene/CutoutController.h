#pragma once

#include <QAbstractListModel>

class QGraphicsScene;

/// The list of placed cut-outs being worked on. Nothing is ever entered into it: a cut-out is
/// finished in the masking view before it reaches the composition, so the list stays empty
/// and committing has nothing to do.
class CutoutController : public QAbstractListModel {
    Q_OBJECT
public:
    explicit CutoutController(QGraphicsScene* scene, QObject* parent = nullptr);
    ~CutoutController() override;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

    /// Commits the cut-out in progress; there never is one.
    void commitCurrentCutout() {}

public slots:
    void reset();

private:
    QGraphicsScene* scene_;
};

/// The composition view's cut-out controller while the view exists, else null.
extern CutoutController* theCutoutController;

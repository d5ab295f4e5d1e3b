#include "composition/scene/CutoutController.h"

#include "composition/scene/FrolixObject.h"

CutoutController* theCutoutController = nullptr;

CutoutController::CutoutController(QGraphicsScene* scene, QObject* parent)
    : QAbstractListModel(parent), scene_(scene) {
    connect(FrolixObject::instance(), &FrolixObject::frolixReset, this, &CutoutController::reset);
}

CutoutController::~CutoutController() {
    if (theCutoutController == this)
        theCutoutController = nullptr;
}

int CutoutController::rowCount(const QModelIndex& parent) const { return 0; }

QVariant CutoutController::data(const QModelIndex&, int) const { return QVariant(); }

void CutoutController::reset() {
    beginResetModel();
    endResetModel();
}

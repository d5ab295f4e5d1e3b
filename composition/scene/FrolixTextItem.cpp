#include "composition/scene/FrolixTextItem.h"

#include "composition/scene/FrolixObject.h"
#include "composition/scene/ItemScene.h"

#include <QAction>
#include <QApplication>
#include <QGraphicsScene>
#include <QGraphicsView>
#include <QKeyEvent>
#include <QKeySequence>
#include <QList>
#include <QPointer>
#include <QTextDocument>
#include <QTextOption>

#include <algorithm>
#include <cmath>

namespace {
constexpr int defaultPointSize = 32;

QList<QPointer<QAction>>& liveActions() {
    static QList<QPointer<QAction>> actions;
    return actions;
}
}  // namespace

void FrolixTextItem::keepLiveWhileEditing(QAction* action) {
    liveActions().removeAll(QPointer<QAction>());
    if (action && !liveActions().contains(action))
        liveActions().append(action);
}

bool FrolixTextItem::isLiveWhileEditing(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Shortcut)
        return liveActions().contains(qobject_cast<QAction*>(watched));
    // The override comes first, from the view through the scene: letting it pass lets the
    // shortcut map deliver the shortcut to the action.
    const auto* key = static_cast<QKeyEvent*>(event);
    const QKeySequence typed(key->key() | int(key->modifiers() & ~Qt::KeypadModifier));
    for (const QPointer<QAction>& action : qAsConst(liveActions()))
        if (action && action->isEnabled() && action->shortcuts().contains(typed))
            return true;
    return false;
}

FrolixTextItem::FrolixTextItem(QGraphicsScene* scene, const QString& text,
                               const QPointF& position)
    : FrolixItem(this, scene) {
    if (scene)
        scene->addItem(this);
    registerItem();
    initTextItem();
    setFlags(ItemIsMovable | ItemIsSelectable | ItemIsFocusable | ItemSendsGeometryChanges);
    setTextAndAdjust(text.isEmpty() ? QCoreApplication::translate(
                                          "FrolixTextItem", "Write text here",
                                          "default contents of new text item")
                                    : text);
    QFont font;
    font.setPointSize(defaultPointSize);
    setFont(font);
    setTextWidth(5 * font.pointSize());
    setDefaultTextColor(Qt::black);

    // Text is as large relative to the canvas whatever its size: 0.5 on a 400-pixel canvas.
    const double w = FrolixObject::instance()->canvasRect().width();
    const double s = w * 0.0025 * 0.5;
    if (s > 0)
        setTransform(QTransform(transform()).scale(s, s));

    const QRectF r = sceneBoundingRect();
    // A point that is no place at all (not finite) counts as none given.
    const bool given = !position.isNull() && std::isfinite(position.x()) &&
                       std::isfinite(position.y());
    if (!given)
        setPos(visibleSceneCentre() + r.topLeft() - r.center());
    else
        setPos(position - mapToScene(boundingRect().center()));
    finishPlacement();
}

FrolixTextItem::FrolixTextItem(const FrolixTextItem& other)
    : QGraphicsTextItem(), FrolixItem(this, other.ownerScene()) {
    setMirrored(other.isMirrored());
    setItemOpacity(other.itemOpacity());
    if (other.ownerScene())
        other.ownerScene()->addItem(this);
    registerItem();
    initTextItem();
    // The copy owns its document, so it lives exactly as long as the copy.
    setDocument(other.document()->clone(this));
    setFont(other.font());
    setTextWidth(other.textWidth());
    setDefaultTextColor(other.defaultTextColor());
    setPos(other.pos());
    setFlags(other.flags());
    setTransform(other.transform());
    finishPlacement();
}

FrolixTextItem::~FrolixTextItem() { qApp->removeEventFilter(this); }

void FrolixTextItem::initTextItem() {
    QTextOption option = document()->defaultTextOption();
    // Lines break only between words. The narrow column a new text gets (5 x its point size)
    // is narrower than many a single word in the fonts a system offers; a word wider than the
    // column stands out past it whole, and the item's box, handles and bubble grow with it.
    option.setWrapMode(QTextOption::WordWrap);
    document()->setDefaultTextOption(option);
    addWidthHandle();
    addRotateHandle();
    addDragHandle();
    addScaleHandle();
    setAcceptedMouseButtons(Qt::LeftButton);
}

void FrolixTextItem::setTextAndAdjust(const QString& text) {
    setPlainText(text);
    adjustSize();
    updateHandles();
}

void FrolixTextItem::finishPlacement() {
    avoidExactOverlap();
    bringToFront();
    updateHandles();
    QObject::connect(document(), &QTextDocument::contentsChanged, this,
                     [this] { updateHandles(); });
}

void FrolixTextItem::setFont(const QFont& font) {
    QGraphicsTextItem::setFont(font);
    updateHandles();
}

void FrolixTextItem::setTextWidth(qreal width) {
    QGraphicsTextItem::setTextWidth(width);
    updateHandles();
}

void FrolixTextItem::setDefaultTextColor(const QColor& colour) {
    QGraphicsTextItem::setDefaultTextColor(colour);
    update();
}

void FrolixTextItem::setFontFamily(const QFont& font) {
    QFont sized(font);
    sized.setPointSizeF(this->font().pointSizeF());
    setFont(sized);
}

double FrolixTextItem::canvasScaleFactor(const QRect& newRect, const QRect& oldRect) {
    return oldRect.width() > 0 ? double(newRect.width()) / oldRect.width() : 1.0;
}

QRectF FrolixTextItem::localRect() const { return QGraphicsTextItem::boundingRect(); }

QString FrolixTextItem::text() const { return toPlainText(); }

void FrolixTextItem::widthHandleMoved(const QPointF& p, Qt::KeyboardModifiers) {
    setTextWidth(std::max(mapFromScene(p).x(), 0.0));
    updateHandles();
    setSelected(true);
    setFocus(Qt::OtherFocusReason);
}

void FrolixTextItem::paint(QPainter* painter, const QStyleOptionGraphicsItem* option,
                           QWidget* widget) {
    paintItem(painter, option, widget,
              [this](QPainter* p, const QStyleOptionGraphicsItem* o, QWidget* w) {
                  QGraphicsTextItem::paint(p, o, w);
              });
}

bool FrolixTextItem::isEditing() const {
    return textInteractionFlags() != Qt::NoTextInteraction;
}

bool FrolixTextItem::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
        if (!isEditing() && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Space) {
            event->accept();
            return true;
        }
        break;
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
        // The view passes the override on to the item, which needs it to take typed keys.
        if (isEditing() && !watched->inherits("QGraphicsView") &&
            !isLiveWhileEditing(watched, event)) {
            event->accept();
            return true;
        }
        break;
    default:
        break;
    }
    return false;
}

void FrolixTextItem::focusInEvent(QFocusEvent* event) {
    qApp->installEventFilter(this);
    QGraphicsTextItem::focusInEvent(event);
}

void FrolixTextItem::focusOutEvent(QFocusEvent* event) {
    QGraphicsTextItem::focusOutEvent(event);
    qApp->removeEventFilter(this);
}

void FrolixTextItem::hoverLeaveEvent(QGraphicsSceneHoverEvent* event) {
    QGraphicsTextItem::hoverLeaveEvent(event);
    if (!isEditing())
        clearFocus();
}

void FrolixTextItem::dragLeaveEvent(QGraphicsSceneDragDropEvent* event) {
    QGraphicsTextItem::dragLeaveEvent(event);
    clearFocus();
}

void FrolixTextItem::contextMenuEvent(QGraphicsSceneContextMenuEvent* event) {
    showContextMenu(event);
}

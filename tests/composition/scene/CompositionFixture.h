#pragma once

#include "composition/scene/FrolixWidget.h"

#include <QColor>
#include <QImage>

#include <gtest/gtest.h>

#include <memory>

class CutoutItem;
class TestPixmapItem;

/// A composition view shown offscreen with a viewport of a chosen size (no frame, no scroll
/// bars unless asked), the item controller attached, and a fresh 400 x 300 white canvas
/// without items. As the main window would, it has the canvas settings dialog made over the
/// view and shows the composition's problems in a box. Everything it made is gone after each
/// test.
class CompositionFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    /// Gives the viewport exactly `size` device pixels.
    void setViewportSize(const QSize& size);
    TestPixmapItem* addItem(const QSize& size, const QColor& colour,
                            const QPointF& position = QPointF());
    /// A cut-out item of `size` in `colour`, placed as a finished cut-out is (fitted, centred,
    /// selected alone), owning a saved state of its own.
    CutoutItem* addCutout(const QSize& size, const QColor& colour);
    /// The viewport point showing scene point `p`.
    QPoint viewPoint(const QPointF& p) const;
    /// Presses the left button at viewport point `from`, moves in steps to `to` with the
    /// button held, and releases there.
    void drag(const QPoint& from, const QPoint& to,
              Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    /// The scene's canvas rectangle rendered 1:1, crop lines and selection as they are.
    QImage renderCanvas() const;

    std::unique_ptr<FrolixWidget> view;
};

/// The pixel at (x, y) as a colour, alpha included.
QColor pixelAt(const QImage& image, int x, int y);
/// Whether two colours differ by at most `tolerance` in every channel.
bool closeColours(const QColor& a, const QColor& b, int tolerance = 2);
/// Answers the next modal message box, from the event loop it runs, with the button whose text
/// is `answer` (any accepting button when empty), and keeps its text in `shown` when given.
void answerNextMessage(const QString& answer, QString* shown = nullptr);

#pragma once

#include <QImage>
#include <QString>

#include <functional>
#include <memory>

class ImageView;
class QWidget;

namespace zqtest {

/// The photo of the test data, 640 x 480, as the masking document holds it.
QImage benchPhoto();

/// A small window holding a real image view, shown offscreen at a fixed size, with the masking
/// document holding `picture` (none when null). The document's pictures are cleared again when
/// the window goes.
class ViewWindow {
public:
    explicit ViewWindow(const QImage& picture, int width = 800, int height = 600);
    ~ViewWindow();

    QWidget* window() const { return window_.get(); }
    ImageView* view() const { return view_; }

private:
    std::unique_ptr<QWidget> window_;
    ImageView* view_;
};

/// Processes events until `done` holds, or fails the current test after a deadline.
bool waitFor(const std::function<bool()>& done);

} // namespace zqtest

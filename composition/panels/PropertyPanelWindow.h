#pragma once

#include "common/GmSubWindow.h"

#include <QList>

#include <memory>

class FrolixItem;
class ImageItemPanel;
class NoItemPanel;
class QStackedWidget;
class SpeechBubblePanel;
class TextFieldItemPanel;

/// The "Property Panel": one page per item kind, showing the page of the first selected item
/// at every selection change. Available in the composition tab only; its title bar has no
/// close button, so only its toggle action hides it. The item scene must exist before it is
/// built. GUI thread only.
class PropertyPanelWindow : public GmSubWindow {
    Q_OBJECT
public:
    /// The parent is not used: the main window places the panel in its docking column.
    explicit PropertyPanelWindow(QWidget* parent = nullptr);
    ~PropertyPanelWindow() override;

    bool isDocumentPanel() const override { return false; }
    /// The "2. Compose Picture" tab only.
    int viewTabs() const override;

    /// Shows the page that fits the first item of `items`: bubble, text field, picture or
    /// cut-out; anything else, or nothing, the empty page.
    void showPanelFor(QList<FrolixItem*> items);

    QStackedWidget* pages() const;
    NoItemPanel* noItemPanel() const;
    ImageItemPanel* imageItemPanel() const;
    SpeechBubblePanel* speechBubblePanel() const;
    TextFieldItemPanel* textFieldItemPanel() const;

private:
    struct Pages;
    std::unique_ptr<Pages> d_;
};

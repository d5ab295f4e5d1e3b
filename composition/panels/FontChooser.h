#pragma once

#include <QGroupBox>

#include <memory>

class FontColourChooser;
class FontNameChooser;
class TextAlignmentChooser;

/// The "Text" group of the text and bubble pages: font, text colour and alignment.
class FontChooser : public QGroupBox {
    Q_OBJECT
public:
    FontChooser();
    ~FontChooser() override;

    FontNameChooser* fontNameChooser() const { return fontName_.get(); }
    FontColourChooser* fontColourChooser() const { return fontColour_.get(); }
    TextAlignmentChooser* alignmentChooser() const { return alignment_.get(); }

private:
    std::unique_ptr<FontNameChooser> fontName_;
    std::unique_ptr<FontColourChooser> fontColour_;
    std::unique_ptr<TextAlignmentChooser> alignment_;
};

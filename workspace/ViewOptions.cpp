#include "workspace/ViewOptions.h"

#include "workspace/EdgeDetectionOptions.h"

#include <QFrame>
#include <QHBoxLayout>

ViewOptions* theViewOptions = nullptr;

namespace {

// The switch-off state survives the panel: there is one panel per process.
struct RememberedShowEdges {
    bool initialised = false;
    bool value = false;
};

RememberedShowEdges& rememberedShowEdges() {
    static RememberedShowEdges remembered;
    return remembered;
}

} // namespace

ViewOptions::ViewOptions() : QWidget(nullptr) {
    layout = new QHBoxLayout;
    layout->setSpacing(10);
    layout->setContentsMargins(0, 0, 0, 0);
    setLayout(layout);

    const QString label = EdgeDetectionOptions::showDeleteEdgesText(true);
    showEdgesBox = new PersistentWidget<QCheckBox, bool>(QStringLiteral("ViewOptions"), label,
                                                         true, false);
    const QString text = EdgeDetectionOptions::showDeleteEdgesText();
    showEdgesBox->setText(text);
    showEdgesBox->setToolTip(tr("Show edges found with current Edge Finding settings", "[tq3]"));
    showEdgesBox->setWhatsThis(
        tr("<p><b>%1</b> (F2)</p><p>Shows the natural edges in the image.</p><p>Objects will be "
           "flood-filled to their edges when you use the <b>Delete Local Brush</b>.</p><p>Check / "
           "uncheck the tick box to show / hide the <b>Delete Edges</b>.</p><p>The brush will "
           "work in the same manner independently of whether edges are shown.</p><p><b><i>"
           "Consider:</i></b>Hiding the edges when working with lots of small objects.</p>",
           "[tip, frolix]")
            .arg(text, 0, QLatin1Char(' ')));
    connect(showEdgesBox.data(), &QCheckBox::clicked, this, &ViewOptions::modified);
    connect(showEdgesBox.data(), &QCheckBox::clicked, this, &ViewOptions::showVectorEdgesSlot);

    auto* line = new QFrame(this);
    line->setFrameStyle(QFrame::VLine | QFrame::Sunken);
    layout->addWidget(line);
    theViewOptions = this;
}

ViewOptions::~ViewOptions() {
    delete showEdgesBox.data();
    if (theViewOptions == this)
        theViewOptions = nullptr;
}

bool ViewOptions::showsVectorEdges() const {
    return showEdgesBox && showEdgesBox->isChecked();
}

void ViewOptions::resetRememberedState() {
    rememberedShowEdges() = RememberedShowEdges();
}

void ViewOptions::setShowVectorEdges(bool show) {
    if (showEdgesBox)
        showEdgesBox->setChecked(show);
}

void ViewOptions::setShowVectorEdgesEnabled(bool enabled) {
    if (!showEdgesBox || showEdgesBox->isEnabled() == enabled)
        return;
    RememberedShowEdges& remembered = rememberedShowEdges();
    if (!remembered.initialised) {
        remembered.initialised = true;
        remembered.value = showEdgesBox->isChecked();
    }
    if (enabled) {
        showEdgesBox->setChecked(remembered.value);
    } else {
        remembered.value = showEdgesBox->isChecked();
        showEdgesBox->setChecked(false);
    }
    showEdgesBox->setEnabled(enabled);
}

void ViewOptions::showVectorEdgesSlot(bool checked) {
    emit showVectorEdges(checked);
}

#pragma once

#include <QPixmap>
#include <QString>

class QDialog;
class QWidget;

/// Shows the About box, modeless, in front of `parent` (the main window). The box is built
/// once and shown again on later requests. Needs a running application.
void showAboutBox(QWidget* parent);

/// The About box of "--about": builds a Qt application of its own from the program's
/// arguments, shows the box modally and returns once it is closed, with the application gone
/// again. Returns 0.
int runAboutBoxAlone(int& argc, char** argv);

/// The About box while it exists, else null.
QDialog* aboutBox();

/// Deletes the About box when it exists. Widgets need the Qt application: call this before
/// the application goes.
void deleteAboutBox();

/// What the About box shows as its logo: the distributor's logo, scaled down to 200 pixels
/// wide when it is wider, or the standard information icon when there is no logo.
QPixmap aboutBoxLogo(const QPixmap& distributorLogo);

/// The About box's rich text: the product's name, the distributor's text when there is one,
/// the version, the rights notice and, between two rules, the dedication.
QString aboutBoxRichText(const QString& distributorText);

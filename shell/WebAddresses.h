#pragma once

#include <QString>

class QSettings;

// Addresses of the product's web pages and of its local help and tutorials. A distributor gets
// its own sub-tree of the site ("distributors/<id>/"), and a translator can point a page at a
// localised copy by translating its page name; an empty translation switches the page off.

/// The maker's site, ending in "/". Served over https, so that no one on the way can answer in
/// its name (an update reply sends the user to a download).
QString makerWebAddress();

/// The product's pages on the maker's site, ending in "/".
QString productWebAddress();

/// `productWebAddress`, or its "distributors/<id>/" sub-tree for a non-empty `distributorId`.
QString distributorBaseAddress(const QString& distributorId);
QString distributorBaseAddress();   ///< for this installation's distributor

/// The same below `makerWebAddress`.
QString makerBaseAddress(const QString& distributorId);
QString makerBaseAddress();

/// The page below the distributor's base; empty for an empty page name.
QString webPageAddress(const QString& pageName, const QString& distributorId);
QString webPageAddress(const QString& pageName);

/// The latest news; empty when the translated page name is empty.
QString newsPageAddress();
/// The tutorials on the web.
QString tutorialsWebAddress();

/// The page the update check reads: it holds "notuptodate" when a newer version exists. Its
/// name, with the version and "-win", is what the server answers to.
QString updatePageAddress(const QString& distributorId);
QString updatePageAddress();

/// Where a newer version is downloaded.
QString downloadPageAddress(const QString& distributorId);
QString downloadPageAddress();

/// The local tutorials' start file ("TutorialsRoot", by default "Tutorials/index.htm" beside the
/// program) as a file address when it exists, else `tutorialsWebAddress`.
QString tutorialsAddress(const QSettings& settings);

/// The local help folder ("HelpRoot", by default "Help" beside the program) as a file address,
/// followed by "/" and the two-letter code of the user interface's language.
QString helpRootAddress(const QSettings& settings);

/// Opens the address in the user's web browser; a failure to do so is not reported.
void openWebPage(const QString& address);

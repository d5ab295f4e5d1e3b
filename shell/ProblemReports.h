#pragma once

class QWidget;

/// After a crash the log folder holds "<stamp>.dmp" beside "<stamp>.txt". This moves the first
/// dump in name order and its log into the log folder's "Event" sub-folder (emptied first), and
/// tells the user in a modal information box parented to `parent` ("Problem Reports Detected").
/// Further dumps stay for the next start. Nothing happens without a dump or when the log folder
/// is not this user's own (`ensureLogFolder`); when "Event" cannot be made no file is deleted
/// or moved and no box is shown.
///
/// Called once at start-up, at the end of the main window's construction, with the main window.
void checkProblemReports(QWidget* parent);

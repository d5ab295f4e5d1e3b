#pragma once

class QFileDialog;
class QMainWindow;
class QString;

/// Runs the next step of the script named by ZQTEST_SCRIPT when it can run (see ProgramScript.cpp).
void pollScript(QMainWindow* window);

/// Answers `files` with `path` (the name typed in, the type of its suffix chosen) and accepts it.
void answerFileDialog(QFileDialog* files, const QString& path);

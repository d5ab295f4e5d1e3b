#pragma once

#include <QList>
#include <QString>

#include <functional>

class QIODevice;
class QWidget;

/// The masking session written to a device and read back into the masking model: what a
/// placed cut-out keeps so that it can be edited again. The stream itself is `SessionStream`;
/// this adds the model, the checks before the open work is given up, and the messages. The
/// program around it (the shell) tells it where it runs through `setSurroundings`. GUI thread
/// only.
class SessionFile {
public:
    /// What the program around the session gives it; every part may be left empty.
    struct Surroundings {
        /// The window the format messages show over.
        QWidget* window = nullptr;
        /// The name the messages give the session read.
        std::function<QString()> name;
    };
    /// Replaces the surroundings; `Surroundings()` forgets them.
    static void setSurroundings(Surroundings surroundings);

    /// The stream versions `load` reads.
    static const QList<int>& supportedVersions();

    /// Writes the masking session; false, with the reason in the log, when the device refused
    /// any of it or a value of the session would not read back.
    static bool save(QIODevice& device);
    /// Writes the masking session for a private temporary copy: the stream of `save`, read
    /// back alike to the same pixels, with its pictures compressed lightly so that placing a
    /// cut-out does not wait long on them. False as for `save`.
    static bool saveQuickly(QIODevice& device);
    /// Reads a masking session into the model. All or nothing: the stream is read and checked
    /// whole before the open image is closed; any fault leaves the work as it was and returns
    /// false. While a host owns the model's picture, only a session made from that very
    /// picture is read. Without `refusal` the fault is shown in the format message; with it,
    /// no message is shown and `refusal` gets one sentence saying why, for a caller that tells
    /// the user in its own message.
    static bool load(QIODevice& device, QString* refusal = nullptr);

private:
    static bool write(QIODevice& device, bool quick);
};

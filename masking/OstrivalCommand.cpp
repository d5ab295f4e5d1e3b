#include "masking/OstrivalCommand.h"

#include "classification/JxInterface.h"

#include <QCoreApplication>

OstrivalCommand::OstrivalCommand(GmModel* model, const QString& name, int initialResult)
    : result_(initialResult), model_(model), name_(name) {}

OstrivalCommand::~OstrivalCommand() = default;

QString OstrivalCommand::name() const {
    return name_;
}

QString OstrivalCommand::description() const {
    return QString();
}

bool OstrivalCommand::prepare() {
    return true;
}

void OstrivalCommand::hasFinished() {}

void OstrivalCommand::onDiscard() {}

bool OstrivalCommand::isCancellable() const {
    return true;
}

bool OstrivalCommand::countsAsModification() const {
    return true;
}

bool OstrivalCommand::refreshesUndoCounts() const {
    return false;
}

OstrivalCommand::Error OstrivalCommand::outOfMemoryError() {
    return Error{JxOutOfMemory, QCoreApplication::translate(
                                    "OstrivalCommand", "Out of memory",
                                    "description of Ostrival Library error")};
}

OstrivalCommand::Error OstrivalCommand::libraryFaultError() {
    return Error{JxEngineFailed, QCoreApplication::translate(
                                     "OstrivalCommand", "Ostrival library fault",
                                     "description of Ostrival Library error")};
}

void OstrivalCommand::checkResult(int code) {
    switch (code) {
    case JxOutOfMemory:
    case JxOutOfMemoryFatal: {
        Error error = outOfMemoryError();
        error.code = code;
        throw error;
    }
    // An unexpected exception fails the engine for good, and a missing engine can do nothing
    // either: both end the engine work now rather than at the next command.
    case JxUnexpectedException:
    case JxEngineFailed:
    case JxBadEngine: {
        Error error = libraryFaultError();
        error.code = code;
        throw error;
    }
    default:
        return;
    }
}

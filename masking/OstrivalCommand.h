#pragma once

#include <QObject>
#include <QString>

class GmModel;

/// One piece of engine work. `prepare` runs on the GUI thread and takes a snapshot of what the
/// engine needs; `execute` runs on the engine command thread and calls the flat engine
/// interface with that snapshot only; `hasFinished` runs on the GUI thread again and applies
/// the result. The engine command thread owns a command from `submit` until it is finished or
/// discarded.
class OstrivalCommand : public QObject {
    Q_OBJECT
public:
    /// Thrown by `hasFinished` (through `checkResult`) when the engine reported a failure the
    /// program cannot continue after.
    struct Error {
        int code;
        QString text;
    };

    /// `name` is the translated progress text. `initialResult` is what `hasFinished` sees when
    /// `execute` never ran (failed `prepare`, dead library).
    OstrivalCommand(GmModel* model, const QString& name, int initialResult = 1);
    ~OstrivalCommand() override;

    virtual QString name() const;
    /// The engine handles the command works on, for the log; empty by default.
    virtual QString description() const;
    /// False means the command is not executed (it is still finished).
    virtual bool prepare();
    virtual void execute() = 0;
    virtual void hasFinished();
    /// Called when the command is dropped without running.
    virtual void onDiscard();
    virtual bool isCancellable() const;
    virtual bool countsAsModification() const;
    /// True makes the thread refresh the model's undo and redo counts after the finish.
    virtual bool refreshesUndoCounts() const;

    /// 3 and 8 throw "Out of memory"; 4, 5 and 7 throw "Ostrival library fault" (the engine
    /// failed, or there is no usable engine); everything else returns.
    static void checkResult(int code);
    /// The error a `std::bad_alloc` stands for, and the one for any other exception.
    static Error outOfMemoryError();
    static Error libraryFaultError();

    GmModel* model() const { return model_; }
    int result() const { return result_; }
    bool isProtected() const { return protected_; }
    void setProtected(bool isProtected) { protected_ = isProtected; }

protected:
    /// Written only by `execute` (on the engine command thread), read by `hasFinished`.
    int result_;

private:
    GmModel* model_;
    QString name_;
    bool protected_ = false;
};

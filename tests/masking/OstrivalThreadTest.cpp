#include "masking/OstrivalCommand.h"
#include "masking/OstrivalThread.h"
#include "platform/ThreadToken.h"
#include "tests/masking/EngineTestSupport.h"

#include "classification/JxInterface.h"

#include <QPointer>

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <new>
#include <stdexcept>

namespace {

using zqtest::waitUntil;

// A command whose phases are scripted by the test. `execute` either returns at once or waits
// for `release`, polling the progress callback as the engine does, and stops when asked.
struct Script {
    bool prepares = true;
    bool waits = false;
    bool cancellable = true;
    bool refreshesUndo = false;
    int executeResult = JxOk;
    bool throwInExecute = false;
    bool badAllocInFinish = false;
    std::function<void()> onPrepare;
    std::function<void()> onFinish;
};

Script with(const std::function<void(Script&)>& change) {
    Script script;
    change(script);
    return script;
}

class ProbeCommand : public OstrivalCommand {
public:
    ProbeCommand(const QString& name, QStringList* journal, Script script = {})
        : OstrivalCommand(nullptr, name), journal_(journal), script_(std::move(script)) {
        QObject::connect(this, &QObject::destroyed, [journal, name] { journal->append(name + " deleted"); });
    }

    static std::atomic<bool> release;
    std::atomic<bool> sawCancel{false};
    std::atomic<bool> sawHandle{false};

    bool prepare() override {
        journal_->append(name() + " prepare");
        if (script_.onPrepare)
            script_.onPrepare();
        return script_.prepares;
    }
    void execute() override {
        sawHandle = theEngineThreadHandle.load() != nullptr;
        if (script_.throwInExecute)
            throw std::runtime_error("broken invariant");
        result_ = script_.executeResult;
        if (!script_.waits)
            return;
        // No limit of its own: the fixture releases it at the latest, and ctest ends a hung run.
        while (!release) {
            if (OstrivalThread::reportEngineProgress(50, 0) == 2) {
                sawCancel = true;
                result_ = JxCancelled;
                return;
            }
            QThread::msleep(1);
        }
    }
    void hasFinished() override {
        journal_->append(name() + " hasFinished " + QString::number(result_));
        if (script_.onFinish)
            script_.onFinish();
        if (script_.badAllocInFinish)
            throw std::bad_alloc();
        checkResult(result_);
    }
    void onDiscard() override { journal_->append(name() + " onDiscard"); }
    bool isCancellable() const override { return script_.cancellable; }
    bool refreshesUndoCounts() const override { return script_.refreshesUndo; }

private:
    QStringList* journal_;
    Script script_;
};

std::atomic<bool> ProbeCommand::release{false};

class OstrivalThreadTest : public ::testing::Test {
protected:
    void SetUp() override {
        ProbeCommand::release = false;
        thread = new OstrivalThread;
        auto name = [](OstrivalCommand* c) { return c->name(); };
        QObject::connect(thread, &OstrivalThread::commandStarted,
                [this, name](OstrivalCommand* c) { journal.append("started " + name(c)); });
        QObject::connect(thread, &OstrivalThread::commandFinished,
                [this, name](OstrivalCommand* c) { journal.append("finished " + name(c)); });
        QObject::connect(thread, &OstrivalThread::commandCancelling,
                [this, name](OstrivalCommand* c) { journal.append("cancelling " + name(c)); });
        QObject::connect(thread, &OstrivalThread::commandDiscarded,
                [this, name](OstrivalCommand* c) { journal.append("discarded " + name(c)); });
        QObject::connect(thread, &OstrivalThread::closureComplete, [this] { journal.append("closureComplete"); });
        QObject::connect(thread, &OstrivalThread::queueEmptied, [this] { journal.append("queueEmptied"); });
        QObject::connect(thread, &OstrivalThread::deadLibrary, [this](const QString& command, const QString& error) {
            journal.append("deadLibrary " + command + ": " + error);
        });
        QObject::connect(thread, &OstrivalThread::submissionRejectedLibraryDead,
                [this, name](OstrivalCommand* c) { journal.append("rejected " + name(c)); });
    }
    void TearDown() override {
        ProbeCommand::release = true;
        delete thread;
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_EQ(theEngineThread, nullptr);
    }
    ProbeCommand* probe(const QString& name, Script script = {}) {
        return new ProbeCommand(name, &journal, std::move(script));
    }
    bool waitForJournal(const QString& entry) {
        return waitUntil([&] { return journal.contains(entry); });
    }
    int at(const QString& entry) const { return journal.indexOf(entry); }

    zqtest::WarningCollector warnings;
    OstrivalThread* thread = nullptr;
    QStringList journal;
};

TEST_F(OstrivalThreadTest, IdleThreadPreparesAtSubmitAndLogsEachStepInOrder) {
    ProbeCommand* command = probe("one");
    QPointer<ProbeCommand> guard(command);
    thread->submit(command);
    // Prepared before submit returns; the two log lines come before commandStarted.
    ASSERT_TRUE(journal.contains("one prepare"));
    ASSERT_TRUE(warnings.contains("one - prepare ()"));
    ASSERT_TRUE(warnings.contains("one - execute ()"));
    EXPECT_TRUE(journal.contains("started one"));
    ASSERT_TRUE(waitForJournal("queueEmptied"));
    EXPECT_EQ(journal, QStringList({"one prepare", "started one", "finished one",
                                    "one hasFinished 0", "one deleted", "queueEmptied"}));
    EXPECT_TRUE(warnings.contains("one - hasFinished ()"));
    EXPECT_TRUE(guard.isNull());
    EXPECT_FALSE(thread->isBusy());
    EXPECT_EQ(thread->modificationCount(), 1);
}

TEST_F(OstrivalThreadTest, FailedPrepareFinishesWithTheInitialResultAndStartsTheNext) {
    thread->submit(probe("blocker", with([](Script& s) { s.waits = true; })));
    thread->submit(probe("refused", with([](Script& s) { s.prepares = false; })));
    thread->submit(probe("after"));
    ProbeCommand::release = true;
    ASSERT_TRUE(waitForJournal("queueEmptied"));
    EXPECT_TRUE(warnings.contains("refused - prepare failed"));
    EXPECT_FALSE(journal.contains("started refused"));
    EXPECT_TRUE(journal.contains("finished refused"));
    EXPECT_TRUE(journal.contains("refused hasFinished 1"));
    EXPECT_LT(at("refused deleted"), at("after prepare"));
    EXPECT_TRUE(journal.contains("started after"));
}

TEST_F(OstrivalThreadTest, QueuedCommandTakesItsSnapshotOnlyWhenItBecomesCurrent) {
    int shared = 0;
    int seenByNext = -1;
    Script first = with([](Script& s) { s.waits = true; });
    first.onFinish = [&] { shared = 7; };
    Script second;
    second.onPrepare = [&] { seenByNext = shared; };
    thread->submit(probe("first", first));
    thread->submit(probe("second", second));
    EXPECT_FALSE(journal.contains("second prepare"));
    ProbeCommand::release = true;
    ASSERT_TRUE(waitForJournal("queueEmptied"));
    EXPECT_EQ(seenByNext, 7);
}

TEST_F(OstrivalThreadTest, CancelAllDiscardsWaitingCommandsButNotAProtectedRunningOne) {
    thread->submit(probe("mask", with([](Script& s) { s.waits = true; })), true);
    thread->submit(probe("a"));
    thread->submit(probe("b"));
    thread->submit(probe("c"));
    thread->submit(probe("kept", with([](Script& s) { s.cancellable = false; })));
    thread->cancelCommandsSlot();
    // Last queued first; the non-cancellable one stays.
    EXPECT_LT(at("discarded c"), at("discarded b"));
    EXPECT_LT(at("discarded b"), at("discarded a"));
    EXPECT_TRUE(journal.contains("c onDiscard"));
    EXPECT_TRUE(journal.contains("a deleted"));
    EXPECT_FALSE(journal.contains("cancelling mask"));
    EXPECT_FALSE(journal.contains("discarded kept"));
    EXPECT_TRUE(warnings.contains("b - discarded ()"));
    EXPECT_FALSE(thread->canCancel());
    ProbeCommand::release = true;
    ASSERT_TRUE(waitForJournal("queueEmptied"));
    EXPECT_TRUE(journal.contains("mask hasFinished 0"));
    EXPECT_TRUE(journal.contains("kept hasFinished 0"));
}

TEST_F(OstrivalThreadTest, CancellingThousandsOfWaitingCommandsLooksAtEachOnce) {
    thread->submit(probe("running", with([](Script& s) { s.waits = true; })));
    constexpr int waiting = 3000;
    for (int i = 0; i < waiting; ++i)
        thread->submit(probe(QString::number(i), with([i](Script& s) { s.cancellable = i % 3 == 0; })));
    auto remainingAre = [&](const std::function<bool(int)>& stays) {
        QStringList expected;
        for (int i = 0; i < waiting; ++i)
            if (stays(i))
                expected << QString::number(i);
        QStringList names;
        for (const OstrivalCommand* command : thread->queuedCommands())
            names << command->name();
        return names == expected;
    };

    // A pick of them (the even ones) in one pass; those that may not be cancelled stay.
    std::int64_t before = thread->queueVisits();
    thread->cancelWaiting([](const OstrivalCommand* c) { return c->name().toInt() % 2 == 0; });
    EXPECT_EQ(thread->queueVisits() - before, waiting);
    EXPECT_TRUE(remainingAre([](int i) { return i % 6 != 0; }));
    EXPECT_LT(at("discarded 2994"), at("discarded 0"));

    // All of them, last first, in one more pass.
    const int left = thread->queuedCommands().size();
    before = thread->queueVisits();
    thread->cancelCommandsSlot();
    EXPECT_EQ(thread->queueVisits() - before, left);
    EXPECT_TRUE(remainingAre([](int i) { return i % 3 != 0; }));
    EXPECT_LT(at("discarded 2997"), at("discarded 3"));

    // The last one submitted, cancelled alone, is found at once.
    ProbeCommand* last = probe("last");
    thread->submit(last);
    before = thread->queueVisits();
    thread->cancelCommand(last);
    EXPECT_EQ(thread->queueVisits() - before, 1);
    EXPECT_TRUE(journal.contains("discarded last"));
    ProbeCommand::release = true;
    ASSERT_TRUE(waitForJournal("queueEmptied"));
}

TEST_F(OstrivalThreadTest, CancellingTheRunningCommandReachesTheEngineThroughProgress) {
    ProbeCommand* running = probe("select", with([](Script& s) { s.waits = true; }));
    thread->submit(running);
    EXPECT_TRUE(thread->canCancel());
    thread->cancelCommand(running);
    EXPECT_TRUE(journal.contains("cancelling select"));
    EXPECT_TRUE(warnings.contains("select - cancelling ()"));
    ASSERT_TRUE(waitForJournal("queueEmptied"));
    // A cancelled call is an ordinary result: the finish runs and nothing dies.
    EXPECT_TRUE(journal.contains("select hasFinished 2"));
    EXPECT_FALSE(thread->isLibraryDead());
}

TEST_F(OstrivalThreadTest, DrainTrapsSubmissionsAndEndsWithClosureComplete) {
    thread->submit(probe("running", with([](Script& s) { s.waits = true; })));
    thread->setOpen(false);
    thread->setPriority(QThread::HighPriority);
    ProbeCommand* late = probe("late");
    QPointer<ProbeCommand> lateGuard(late);
    thread->submit(late);
    EXPECT_TRUE(warnings.contains(
        "Trapped a OstrivalCommand being submitted when OstrivalThread is closed"));
    ProbeCommand::release = true;
    ASSERT_TRUE(waitForJournal("closureComplete"));
    EXPECT_FALSE(journal.contains("queueEmptied"));
    EXPECT_FALSE(journal.contains("late prepare"));
    ASSERT_TRUE(waitUntil([&] { return lateGuard.isNull(); }));   // refused ones are deleted
    EXPECT_TRUE(thread->isIdle());
}

TEST_F(OstrivalThreadTest, ClosingAnIdleThreadEmitsNothingAndWarnsNothing) {
    thread->setOpen(false);
    thread->setPriority(QThread::HighPriority);
    QCoreApplication::processEvents();
    EXPECT_TRUE(journal.isEmpty());
    for (const QString& line : warnings.lines())
        EXPECT_FALSE(line.contains("setPriority")) << line.toStdString();
}

struct DeathCase {
    const char* label;
    Script script;
    bool dies;
    const char* error;
};

void PrintTo(const DeathCase& row, std::ostream* out) {
    *out << row.label;
}

class LibraryDeath : public OstrivalThreadTest, public ::testing::WithParamInterface<DeathCase> {};

TEST_P(LibraryDeath, FailureCodesAndExceptionsKillTheLibraryOnce) {
    const DeathCase& row = GetParam();
    Script failing = row.script;
    failing.waits = true;
    thread->submit(probe("failing", failing));
    thread->submit(probe("waiting"));
    thread->submit(probe("protected", with([](Script& s) { s.cancellable = false; })), true);
    ProbeCommand::release = true;
    ASSERT_TRUE(waitUntil([&] { return !thread->isBusy() && thread->isIdle(); }));
    if (!row.dies) {
        EXPECT_FALSE(thread->isLibraryDead());
        EXPECT_TRUE(journal.contains("protected hasFinished 0"));
        return;
    }
    EXPECT_TRUE(thread->isLibraryDead());
    EXPECT_EQ(journal.filter("deadLibrary").size(), 1);
    EXPECT_TRUE(journal.contains(QString("deadLibrary failing: ") + row.error));
    // Every waiting command goes, protected or not.
    EXPECT_TRUE(journal.contains("discarded waiting"));
    EXPECT_TRUE(journal.contains("discarded protected"));
    ProbeCommand* refused = probe("refused");
    QPointer<ProbeCommand> guard(refused);
    thread->submit(refused);
    EXPECT_TRUE(journal.contains("rejected refused"));
    EXPECT_FALSE(journal.contains("refused prepare"));
    ASSERT_TRUE(waitUntil([&] { return guard.isNull(); }));
}

INSTANTIATE_TEST_SUITE_P(
    OstrivalThread, LibraryDeath,
    ::testing::Values(
        DeathCase{"ok", with([](Script& s) { s.executeResult = JxOk; }), false, ""},
        DeathCase{"refused", with([](Script& s) { s.executeResult = JxRefused; }), false, ""},
        DeathCase{"cancelled", with([](Script& s) { s.executeResult = JxCancelled; }), false, ""},
        DeathCase{"badSession", with([](Script& s) { s.executeResult = JxBadSession; }), false, ""},
        DeathCase{"badImage", with([](Script& s) { s.executeResult = JxBadImage; }), false, ""},
        DeathCase{"outOfMemory", with([](Script& s) { s.executeResult = JxOutOfMemory; }), true, "Out of memory"},
        DeathCase{"unexpected", with([](Script& s) { s.executeResult = JxUnexpectedException; }), true,
                  "Ostrival library fault"},
        DeathCase{"failed", with([](Script& s) { s.executeResult = JxEngineFailed; }), true, "Ostrival library fault"},
        DeathCase{"badEngine", with([](Script& s) { s.executeResult = JxBadEngine; }), true, "Ostrival library fault"},
        DeathCase{"fatalMemory", with([](Script& s) { s.executeResult = JxOutOfMemoryFatal; }), true, "Out of memory"},
        DeathCase{"badAllocInFinish", with([](Script& s) { s.badAllocInFinish = true; }), true, "Out of memory"},
        DeathCase{"throwInExecute", with([](Script& s) { s.throwInExecute = true; }), true, "Ostrival library fault"}),
    [](const ::testing::TestParamInfo<DeathCase>& info) { return info.param.label; });

TEST_F(OstrivalThreadTest, SubmittingFromAFinishQueuesBehindTheFinishingCommand) {
    Script first;
    first.onFinish = [this] { thread->submit(probe("followUp")); };
    thread->submit(probe("first", first));
    ASSERT_TRUE(waitForJournal("queueEmptied"));
    // The new command starts only after the one that submitted it is gone.
    EXPECT_LT(at("first deleted"), at("followUp prepare"));
    EXPECT_TRUE(journal.contains("followUp hasFinished 0"));
}

TEST_F(OstrivalThreadTest, EngineThreadTokenExistsExactlyWhileACommandRuns) {
    EXPECT_EQ(theEngineThreadHandle.load(), nullptr);
    ProbeCommand* command = probe("token", with([](Script& s) { s.waits = true; }));
    thread->submit(command);
    ASSERT_TRUE(waitUntil([&] { return command->sawHandle.load(); }));
    ProbeCommand::release = true;
    ASSERT_TRUE(waitForJournal("queueEmptied"));
    EXPECT_EQ(theEngineThreadHandle.load(), nullptr);
}

TEST_F(OstrivalThreadTest, DestroyingTheThreadCancelsTheRunningEngineCall) {
    ProbeCommand* command = probe("long", with([](Script& s) { s.waits = true; }));
    thread->submit(command);
    thread->submit(probe("queued"));
    delete thread;   // must come back although `release` is never set
    thread = nullptr;
    EXPECT_TRUE(journal.contains("long deleted"));
    EXPECT_TRUE(journal.contains("queued deleted"));
    EXPECT_FALSE(journal.contains("long hasFinished 2"));   // nothing reaches the model any more
    EXPECT_EQ(OstrivalThread::reportEngineProgress(10, 0), 2);
}

TEST(OstrivalCommandCheckResult, CodesThatEndTheEngineWorkThrow) {
    struct Row { int code; bool throws; const char* text; };
    const Row rows[] = {
        {JxOk, false, ""}, {JxRefused, false, ""}, {JxCancelled, false, ""},
        {JxOutOfMemory, true, "Out of memory"}, {JxUnexpectedException, true, "Ostrival library fault"},
        {JxEngineFailed, true, "Ostrival library fault"}, {JxBadSession, false, ""},
        {JxBadEngine, true, "Ostrival library fault"}, {JxOutOfMemoryFatal, true, "Out of memory"},
        {JxBadImage, false, ""}, {JxNotAnalysed, false, ""}, {42, false, ""}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.code);
        if (!row.throws) {
            EXPECT_NO_THROW(OstrivalCommand::checkResult(row.code));
            continue;
        }
        try {
            OstrivalCommand::checkResult(row.code);
            ADD_FAILURE() << "no error";
        } catch (const OstrivalCommand::Error& error) {
            EXPECT_EQ(error.code, row.code);
            EXPECT_EQ(error.text, QString(row.text));
        }
    }
}

}  // namespace

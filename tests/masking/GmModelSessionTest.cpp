#include "masking/GmModel.h"
#include "masking/GmStatusArray.h"
#include "masking/JxCmdFinish.h"
#include "masking/JxCmdRedo.h"
#include "masking/JxCmdSelect.h"
#include "masking/JxCmdUndo.h"
#include "masking/NamedImage.h"
#include "masking/OstrivalThread.h"
#include "masking/SegmentationStuff.h"
#include "masking/TqSourceImage.h"
#include "tests/masking/EngineTestSupport.h"
#include "tests/masking/MaskPixels.h"
#include "tests/masking/MaskingTestSupport.h"
#include "masking/BrushSizeValue.h"

#include <QApplication>
#include <QPointer>
#include <QSignalSpy>
#include <QThread>
#include <QUrl>

#include <gtest/gtest.h>

#include <atomic>
#include <memory>

namespace {

using zqtest::waitUntil;

using masktest::twoHalves;

TqSourceImage* sourceOf(const QImage& image) {
    return new TqSourceImage(NamedImage(image, QUrl(QStringLiteral("file:///halves.png"))));
}

class GmModelSession : public ::testing::Test {
protected:
    void SetUp() override {
        BrushSizeValue::instance()->setBrushSize(BrushSizeValue::initial);
        thread = new OstrivalThread;
        model = GmModel::instance();
        QObject::connect(thread, &OstrivalThread::commandFinished,
                [this](OstrivalCommand* command) { finished.append(command->name()); });
        QObject::connect(thread, &OstrivalThread::deadLibrary,
                [this](const QString& command, const QString&) { deadIn.append(command); });
    }
    void TearDown() override {
        if (!thread->isLibraryDead()) {
            model->closeImage();
            waitIdle();
        }
        delete thread;
        delete model;
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_EQ(GmModel::existing(), nullptr);
    }
    bool waitIdle() {
        return waitUntil([this] {
            return thread->isIdle() && !model->isWaitingToOpenSession() && thread->isOpen();
        });
    }
    void openImage(const QImage& image, int preservation = GmSession::ChooseSettings) {
        ASSERT_TRUE(model->setImage(preservation, 1, sourceOf(image)));
        ASSERT_TRUE(waitIdle());
    }
    std::vector<int> statusValues() const {
        const QImage& image = model->statusArray()->statusImage();
        std::vector<int> values;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                values.push_back(image.pixelIndex(x, y));
        return values;
    }
    bool allStatuses(int status) const {
        const std::vector<int> values = statusValues();
        return !values.empty() &&
               std::all_of(values.begin(), values.end(), [status](int v) { return v == status; });
    }

    zqtest::WarningCollector warnings;
    OstrivalThread* thread = nullptr;
    GmModel* model = nullptr;
    QStringList finished;
    QStringList deadIn;
};

TEST_F(GmModelSession, SetImageOpensTheSessionInOrderWithItsFirstFill) {
    QList<const TqSourceImage*> imageChanged;
    QObject receiver;   // goes before the list: the connection ends with it
    QObject::connect(model, &GmModel::tellImageChanged, &receiver,
                     [&](const TqSourceImage* image) { imageChanged.append(image); });
    QSignalSpy begun(model, &GmModel::sessionHasBegun);
    ASSERT_TRUE(model->setImage(GmSession::ChooseSettings, 1, sourceOf(twoHalves(64, 48))));
    // Init runs, so the session waits for the queue to drain, under the wait cursor.
    EXPECT_TRUE(model->isWaitingToOpenSession());
    EXPECT_NE(QApplication::overrideCursor(), nullptr);
    ASSERT_TRUE(waitIdle());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    // Once the session has begun the auto cut follows every status change: the first fill
    // asks for a cut-out, refused without an analysis.
    EXPECT_EQ(finished, QStringList({"Initializing...", "Creating New Status Image...",
                                     "Beginning Session...", "Making Selection...",
                                     "Clearing Undo Stack...", "Creating Cut-out..."}));
    EXPECT_TRUE(deadIn.isEmpty());
    ASSERT_EQ(imageChanged.count(), 1);
    EXPECT_EQ(imageChanged.at(0), model->sourceImage());
    EXPECT_EQ(begun.count(), 1);
    EXPECT_EQ(model->statusArray()->statusImage().size(), QSize(64, 48));
    EXPECT_TRUE(allStatuses(JxStatusKeep));
    EXPECT_EQ(model->statusArray()->statusesPresent(), JxStatusKeep);
    EXPECT_EQ(model->statusArray()->statusImage().pixel(3, 3), 0u);   // keep shows nothing
    EXPECT_EQ(model->availableUndos(), 0u);
    EXPECT_NE(model->outputImage(), nullptr);
    EXPECT_NE(model->outputImage(), model->sourceImage());
    EXPECT_TRUE(model->imageSmeg()->isChecked());
    EXPECT_EQ(BrushSizeValue::instance()->brushSize(), 4);   // min(64, 48) / 10
    EXPECT_TRUE(model->isUnmodified());
}

TEST_F(GmModelSession, ImageWideAnalysisPublishesVectorEdgesInImageCoordinates) {
    model->setResolution(2, true);   // no image yet: only stored
    EXPECT_EQ(model->resolution(), 2);
    openImage(twoHalves(64, 48), GmSession::KeepSettings);
    EXPECT_EQ(model->statusArray()->statusImage().size(), QSize(32, 24));
    QSignalSpy analysing(model, &GmModel::imageAnalysisHasBegun);
    model->imageSmeg()->analyse();
    EXPECT_EQ(analysing.count(), 1);
    ASSERT_TRUE(waitIdle());
    EXPECT_TRUE(finished.contains("Finding Edges in Image..."));
    ASSERT_TRUE(model->imageSmeg()->isAnalysisReady());
    const JxSession* session = model->imageSmeg()->analysedSession();
    const VectorEdges& edges = model->imageSmeg()->vectorEdges();
    ASSERT_GT(session->polylineCount, 0);
    ASSERT_EQ(edges.entries().size(), session->polylineCount);
    const PublishedPolyline& first = session->polylines[0];
    ASSERT_EQ(edges.entries()[0].polyline.size(), first.count);
    for (int p = 0; p < first.count; ++p)
        EXPECT_EQ(edges.entries()[0].polyline[p],
                  QPointF(2.0 * first.points[2 * p], 2.0 * first.points[2 * p + 1]));
    // The edge lies between the halves: x about 32 in the picture.
    EXPECT_NEAR(edges.unionBounds().center().x(), 32.0, 4.0);
}

// Holds the engine command thread until the test lets it go.
class HoldingCommand : public OstrivalCommand {
public:
    explicit HoldingCommand(const std::atomic<bool>& release)
        : OstrivalCommand(nullptr, QStringLiteral("Holding")), release_(release) {}
    void execute() override {
        while (!release_.load())
            QThread::msleep(1);
    }

private:
    const std::atomic<bool>& release_;
};

// The engine command thread rewrites a session's record while it analyses the session again,
// so the readiness is not read from the record from the moment a new analysis is asked for
// until that analysis is done. Held behind another command, the analysis waits in the queue
// whatever the threads' timing.
TEST_F(GmModelSession, AnAnalysisAskedForAgainIsNotReadyUntilItIsDone) {
    openImage(twoHalves(64, 48), GmSession::KeepSettings);
    model->imageSmeg()->analyse();
    ASSERT_TRUE(waitIdle());
    ASSERT_TRUE(model->imageSmeg()->isAnalysisReady());

    std::atomic<bool> release{false};
    thread->submit(new HoldingCommand(release));
    model->imageSmeg()->analyse();
    EXPECT_FALSE(model->imageSmeg()->isAnalysisReady());
    release = true;
    ASSERT_TRUE(waitIdle());
    EXPECT_TRUE(model->imageSmeg()->isAnalysisReady());
}

TEST_F(GmModelSession, UndoAndRedoMoveTheCountsAndTheStatuses) {
    openImage(twoHalves(16, 12));
    QSignalSpy counts(model, &GmModel::jxUndoStackChanged);
    thread->submit(new JxCmdSelect(model, nullptr, JxStatusKeep, JxStatusDelete));
    ASSERT_TRUE(waitIdle());
    EXPECT_TRUE(allStatuses(JxStatusDelete));
    EXPECT_EQ(model->availableUndos(), 1u);
    EXPECT_FALSE(model->isUnmodified());
    thread->submit(new JxCmdUndo(model));
    ASSERT_TRUE(waitIdle());
    EXPECT_TRUE(allStatuses(JxStatusKeep));
    EXPECT_EQ(model->statusArray()->statusesPresent(), JxStatusKeep);
    EXPECT_EQ(model->availableUndos(), 0u);
    EXPECT_EQ(model->availableRedos(), 1u);
    thread->submit(new JxCmdRedo(model));
    ASSERT_TRUE(waitIdle());
    EXPECT_TRUE(allStatuses(JxStatusDelete));
    EXPECT_EQ(model->availableUndos(), 1u);
    EXPECT_EQ(model->availableRedos(), 0u);
    ASSERT_GE(counts.count(), 3);
    EXPECT_EQ(counts.last().at(0).toUInt(), 1u);
}

// The window disables itself on the announcement: once when the wait starts, once when it ends,
// whether the session then opens or the image closes first.
TEST_F(GmModelSession, WaitingForTheQueueIsAnnouncedAsBusyOnceEachWay) {
    QSignalSpy busy(model, &GmModel::busyChanged);
    ASSERT_TRUE(model->setImage(GmSession::ChooseSettings, 1, sourceOf(twoHalves(64, 48))));
    ASSERT_TRUE(model->isWaitingToOpenSession());
    ASSERT_EQ(busy.count(), 1);
    EXPECT_TRUE(busy.at(0).at(0).toBool());
    ASSERT_TRUE(waitIdle());
    ASSERT_EQ(busy.count(), 2);
    EXPECT_FALSE(busy.at(1).at(0).toBool());
    model->closeImage();
    ASSERT_TRUE(waitIdle());

    busy.clear();
    ASSERT_TRUE(model->setImage(GmSession::ChooseSettings, 1, sourceOf(twoHalves(64, 48))));
    ASSERT_TRUE(model->isWaitingToOpenSession());
    model->closeImage();   // given up before the queue drained
    EXPECT_FALSE(model->isWaitingToOpenSession());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    ASSERT_TRUE(waitIdle());
    ASSERT_EQ(busy.count(), 2);
    EXPECT_TRUE(busy.at(0).at(0).toBool());
    EXPECT_FALSE(busy.at(1).at(0).toBool());
}

TEST_F(GmModelSession, ResolutionChangeAsksAboutMarksAndReopensAtTheNewDivisor) {
    openImage(twoHalves(64, 48));
    thread->submit(new JxCmdSelect(model, nullptr, JxStatusKeep, JxStatusDelete));
    ASSERT_TRUE(waitIdle());
    BrushSizeValue::instance()->setBrushSize(20);
    QSignalSpy resolution(model, &GmModel::resolutionChanged);
    {
        const GmQuestion question = model->resolutionQuestion(2);
        EXPECT_FALSE(question.isEmpty());
        EXPECT_EQ(question.title, QString("Confirm change of resolution"));
        model->setResolution(2, false);   // answered No
    }
    ASSERT_EQ(resolution.count(), 1);
    EXPECT_EQ(resolution.at(0), (QList<QVariant>{1, 1}));
    EXPECT_EQ(model->resolution(), 1);
    EXPECT_TRUE(allStatuses(JxStatusDelete));

    finished.clear();
    {
        EXPECT_FALSE(model->resolutionQuestion(2).isEmpty());
        model->setResolution(2, true);   // answered Yes
    }
    ASSERT_TRUE(waitIdle());
    EXPECT_EQ(resolution.last(), (QList<QVariant>{1, 2}));
    EXPECT_EQ(model->resolution(), 2);
    EXPECT_EQ(model->statusArray()->statusImage().size(), QSize(32, 24));
    EXPECT_TRUE(allStatuses(JxStatusKeep));   // the marks went with the old session
    EXPECT_TRUE(finished.contains("Ending Session..."));
    EXPECT_TRUE(finished.contains("Beginning Session..."));
    EXPECT_EQ(BrushSizeValue::instance()->brushSize(), 10);   // 20 x 1/2

    // Only keep marks now: no question.
    EXPECT_TRUE(model->resolutionQuestion(4).isEmpty());
    model->setResolution(4, true);
    ASSERT_TRUE(waitIdle());
    EXPECT_EQ(model->statusArray()->statusImage().size(), QSize(16, 12));
}

TEST_F(GmModelSession, ResolutionOnlyTakesDivisorsTheScalerCanMake) {
    QSignalSpy resolution(model, &GmModel::resolutionChanged);
    model->setResolution(8, true);   // no image: stored silently
    EXPECT_EQ(resolution.count(), 0);
    for (int bad : {0, 3, -2, 16}) {
        model->setResolution(bad, true);
        EXPECT_EQ(model->resolution(), 8) << bad;
        EXPECT_EQ(resolution.last(), (QList<QVariant>{8, 8}));
    }
}

TEST_F(GmModelSession, ChosenResolutionKeepsTheWorkingImageUnderFourMegapixels) {
    struct Row { std::uint64_t pixels; int divisor; };
    const Row rows[] = {{0, 1}, {4000000, 1}, {4000001, 2}, {8000001, 2}, {12000001, 4},
                        {40000000, 8}, {std::uint64_t(1) << 33, 8}};
    for (const Row& row : rows) {
        QSignalSpy resolution(model, &GmModel::resolutionChanged);
        model->chooseResolution(row.pixels);
        EXPECT_EQ(model->resolution(), row.divisor) << row.pixels;
        EXPECT_EQ(resolution.count(), 1);   // also when it stays
    }
}

TEST_F(GmModelSession, CloseImageEndsTheSessionAndFinishesTheEngine) {
    EXPECT_TRUE(model->closeImage());   // no image: nothing happens
    EXPECT_TRUE(finished.isEmpty());
    openImage(twoHalves(16, 12));
    finished.clear();
    QList<const TqSourceImage*> imageChanged;
    QObject receiver;   // goes before the list: the connection ends with it
    QObject::connect(model, &GmModel::tellImageChanged, &receiver,
                     [&](const TqSourceImage* image) { imageChanged.append(image); });
    QSignalSpy counts(model, &GmModel::jxUndoStackChanged);
    EXPECT_TRUE(model->closeImage());
    EXPECT_EQ(model->sourceImage(), nullptr);
    EXPECT_EQ(model->outputImage(), nullptr);
    ASSERT_EQ(imageChanged.count(), 1);
    EXPECT_EQ(imageChanged.at(0), nullptr);
    EXPECT_TRUE(model->statusArray()->statusImage().isNull());
    ASSERT_TRUE(waitIdle());
    EXPECT_EQ(finished, QStringList({"Ending Session...", "Deleting Status Image...", "Finishing..."}));
    EXPECT_EQ(model->engine(), nullptr);
    EXPECT_EQ(model->imageSmeg()->session(), nullptr);
    ASSERT_GE(counts.count(), 1);
    EXPECT_EQ(counts.last(), (QList<QVariant>{0u, 0u}));
    EXPECT_EQ(model->imageOrigin(), 0);
}

TEST_F(GmModelSession, ImagesTheModelDoesNotTakeAreDeletedAndRefused) {
    EXPECT_FALSE(model->setImage(GmSession::ChooseSettings, 1, sourceOf(QImage())));
    EXPECT_EQ(model->sourceImage(), nullptr);
    openImage(twoHalves(16, 12));
    TqSourceImage* kept = model->sourceImage();
    QPointer<TqSourceImage> second(sourceOf(twoHalves(8, 8)));
    EXPECT_FALSE(model->setImage(GmSession::ChooseSettings, 1, second.data()));
    EXPECT_TRUE(second.isNull());
    EXPECT_EQ(model->sourceImage(), kept);
}

TEST_F(GmModelSession, AFailingEngineMarksTheLibraryDead) {
    openImage(twoHalves(16, 12));
    // A handle the engine does not know: JxFinish answers 7 and the engine work ends for good.
    JxEngine* real = model->engine();
    model->setEngine(reinterpret_cast<JxEngine*>(model));
    QSignalSpy dead(thread, &OstrivalThread::deadLibrary);
    thread->submit(new JxCmdFinish(model));
    ASSERT_TRUE(waitUntil([&] { return thread->isIdle(); }));
    ASSERT_EQ(dead.count(), 1);
    EXPECT_EQ(dead.at(0).at(0).toString(), QString("Finishing..."));
    EXPECT_EQ(dead.at(0).at(1).toString(), QString("Ostrival library fault"));
    EXPECT_TRUE(thread->isLibraryDead());
    JxFinish(real);
    // Nothing reaches the dead engine any more; the images still go.
    model->closeImage();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

TEST_F(GmModelSession, SavedStatusesGoBackAfterTheFirstFillExactlyOnce) {
    QImage saved(16, 12, QImage::Format_Indexed8);
    saved.setColorCount(256);
    saved.fill(JxStatusKeep);
    for (int y = 0; y < 12; ++y)
        saved.setPixel(3, y, JxStatusDelete);
    model->statusArray()->setSavedStatuses(saved);
    openImage(twoHalves(16, 12), GmSession::KeepSettings);
    EXPECT_EQ(finished.count("Setting Status Image..."), 1);
    EXPECT_GT(finished.indexOf("Setting Status Image..."), finished.indexOf("Making Selection..."));
    EXPECT_TRUE(model->statusArray()->savedStatuses().isNull());
    EXPECT_EQ(model->statusArray()->statusImage().pixelIndex(3, 5), JxStatusDelete);
    EXPECT_EQ(model->statusArray()->statusImage().pixelIndex(4, 5), JxStatusKeep);
    EXPECT_EQ(model->statusArray()->statusesPresent(), JxStatusKeep | JxStatusDelete);
}

// Holds the engine thread inside the first progress report it delivers after construction
// until released, so that the command reporting is certainly still running while the test goes
// on. The engine delivers a report now and then, by its clock: on a slow build or a busy
// machine the first one comes in mid-run, where an answer to stop is heeded; on a quick one it
// may be the closing report, after which the command ends normally. The tests below hold for
// both and tell which by the command's result.
class EngineHold {
public:
    explicit EngineHold(OstrivalThread* thread) {
        // The state outlives this object: the engine thread may still be in the slot.
        connection_ = QObject::connect(thread, &OstrivalThread::commandProgress, thread,
                [state = state_](int, void*) {
                    if (!state->armed.exchange(false))
                        return;
                    state->held = true;
                    while (!state->released.load())
                        QThread::msleep(1);
                }, Qt::DirectConnection);
    }
    ~EngineHold() {
        release();
        QObject::disconnect(connection_);
    }
    bool waitHeld() const { return waitUntil([this] { return state_->held.load(); }); }
    void release() { state_->released = true; }

private:
    struct State {
        std::atomic<bool> armed{true};
        std::atomic<bool> held{false};
        std::atomic<bool> released{false};
    };
    std::shared_ptr<State> state_ = std::make_shared<State>();
    QMetaObject::Connection connection_;
};

class EdgeFindingOptions : public GmModelSession {
protected:
    void SetUp() override {
        GmModelSession::SetUp();
        QObject::connect(thread, &OstrivalThread::commandFinished, &receiver,
                [this](OstrivalCommand* command) {
                    if (command->name() == QStringLiteral("Finding Edges in Image..."))
                        results.push_back(command->result());
                });
    }
    void open() {
        openImage(zqtest::noiseImage(480, 360));   // a picture whose analysis takes a while
        // Two sensitivities apart from each other and from the session's own.
        first = (options().sensitivity_.applied + 20) % 100;
        second = (options().sensitivity_.applied + 40) % 100;
    }
    EDOs& options() { return model->imageSmeg()->options(); }
    void analyse(int sensitivity) {
        options().sensitivity_.value = sensitivity;
        model->imageSmeg()->analyse();
    }

    std::vector<int> results;
    QObject receiver;   // after the results: the connection ends before they go
    int first = 0;
    int second = 0;
};

TEST_F(EdgeFindingOptions, AnEdgeFindingOvertakenWhileRunningLeavesTheNewerOptionsInForce) {
    open();
    EngineHold hold(thread);
    analyse(first);
    ASSERT_TRUE(hold.waitHeld());
    // The user moves on while the engine still works on the first value: the first analysis
    // is asked to stop, and ends after the second has taken over the options.
    analyse(second);
    hold.release();
    ASSERT_TRUE(waitIdle());
    ASSERT_EQ(results.size(), 2u);
    EXPECT_TRUE(results[0] == JxCancelled || results[0] == JxOk) << results[0];
    EXPECT_EQ(results[1], JxOk);
    EXPECT_EQ(options().sensitivity_.applied, second);
    EXPECT_EQ(options().sensitivity_.saved, second);
    EXPECT_FALSE(options().anyModified());
    EXPECT_TRUE(model->imageSmeg()->isAnalysisReady());
}

TEST_F(EdgeFindingOptions, AnEdgeFindingThatDoesNotTakeBringsBackTheOptionsOfTheLastThatDid) {
    open();
    analyse(first);
    ASSERT_TRUE(waitIdle());
    ASSERT_EQ(options().sensitivity_.applied, first);

    EngineHold hold(thread);
    analyse(second);
    ASSERT_TRUE(hold.waitHeld());
    thread->cancelCommandsSlot();
    hold.release();
    ASSERT_TRUE(waitIdle());
    ASSERT_EQ(results.size(), 2u);
    if (results[1] == JxCancelled) {
        EXPECT_EQ(options().sensitivity_.applied, first) << "the edges in force were found with it";
        EXPECT_EQ(options().sensitivity_.value, second) << "the panel keeps what the user chose";
    } else {
        EXPECT_EQ(results[1], JxOk) << "asked to stop only as it finished";
        EXPECT_EQ(options().sensitivity_.applied, second);
    }
}

TEST_F(GmModelSession, SessionStartTakesTheEngineSuggestionOnlyWhenChoosingSettings) {
    struct Row { int preservation; bool shownFromEngine; };
    for (const Row row : {Row{GmSession::ChooseSettings, true}, Row{GmSession::KeepSettings, false}}) {
        SCOPED_TRACE(row.preservation);
        EDOs& options = model->imageSmeg()->options();
        options.sensitivity_ = GmValue<int>(77);
        openImage(twoHalves(32, 24), row.preservation);
        const JxSession* session = model->imageSmeg()->session();
        ASSERT_NE(session, nullptr);
        const int suggested = sensitivityFromTolerance(session->edgeTolerance);
        EXPECT_EQ(options.sensitivity_.defaultValue, suggested);
        EXPECT_EQ(options.sensitivity_.applied, row.shownFromEngine ? suggested : 77);
        EXPECT_EQ(options.sensitivity_.saved, options.sensitivity_.applied);
        EXPECT_EQ(options.width_.defaultValue, int(session->edgeWidth));
        EXPECT_FALSE(options.anyModified());
        model->closeImage();
        ASSERT_TRUE(waitIdle());
    }
}

TEST_F(GmModelSession, AThreadClosedByOthersIsNeverReopenedBySessionOpening) {
    openImage(twoHalves(16, 12));
    finished.clear();
    thread->setOpen(false);   // as the main window does when it drains for exit
    model->openSession();
    QCoreApplication::processEvents();
    EXPECT_FALSE(thread->isOpen());
    EXPECT_FALSE(model->isWaitingToOpenSession());
    EXPECT_TRUE(finished.isEmpty());
    thread->setOpen(true);
}

}  // namespace

// The frame timer and its frame-rate line: on a counter the test moves by
// hand, and on the system's own counter against an independent clock.

#include "platform/perfcounter.h"
#include "render/perftimer.h"
#include "tests/support/consolecapture.h"

#include <QElapsedTimer>
#include <QtTest>

#include <limits>
#include <thread>

namespace {

// A counter of 1 MHz whose reading the test sets; it can be made to fail.
struct FakeCounter {
    static inline int64_t count = 0;
    static inline int64_t milliseconds = 0;
    static inline bool counterWorks = true;
    static inline bool frequencyWorks = true;
    static bool frequency(int64_t* value)
    {
        *value = 1000000;
        return frequencyWorks;
    }
    static bool counter(int64_t* value)
    {
        *value = count;
        return counterWorks;
    }
    static int64_t processMilliseconds() { return milliseconds; }
};
const PerfCounterSource kFake = {FakeCounter::frequency, FakeCounter::counter,
                                 FakeCounter::processMilliseconds};

} // namespace

class TestFrameTimer : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        FakeCounter::count = 5000000;
        FakeCounter::milliseconds = 100;
        FakeCounter::counterWorks = FakeCounter::frequencyWorks = true;
        setPerfCounterSource(&kFake);
        PerfTimer::resetTick();
    }

    void cleanup()
    {
        setPerfCounterSource(nullptr);
        PerfTimer::resetTick();
    }

    void rateLinesArePaddedAndNeverCut_data()
    {
        QTest::addColumn<double>("seconds");
        QTest::addColumn<QString>("line");
        QTest::newRow("50") << 0.02 << "- 050.00 frames/second \r";
        QTest::newRow("0.25") << 4.0 << "- 000.25 frames/second \r";
        QTest::newRow("59.88") << 1 / 59.88 << "- 059.88 frames/second \r";
        QTest::newRow("four digits") << 1 / 1234.5 << "- 1234.50 frames/second \r";
        QTest::newRow("no time") << 0.0 << "- 000.00 frames/second \r";
        QTest::newRow("negative") << -1.0 << "- 000.00 frames/second \r";
        QTest::newRow("NaN") << std::numeric_limits<double>::quiet_NaN()
                             << "- 000.00 frames/second \r";
    }

    void rateLinesArePaddedAndNeverCut()
    {
        QFETCH(double, seconds);
        QFETCH(QString, line);
        QCOMPARE(QString::fromStdString(frameRateLine(seconds)), line);
    }

    // Each frame reports the time since the one before; without a counter the
    // process's millisecond clock stands in.
    void framesReportTheTimeSinceTheLastOne()
    {
        for (const bool counterWorks : {true, false}) {
            init();
            FakeCounter::counterWorks = FakeCounter::frequencyWorks = counterWorks;
            PerfTimer::resetTick();
            PerfTimer timer;
            QCOMPARE(timer.startTime(), counterWorks ? 5.0 : 0.1);
            ConsoleCapture console;
            FakeCounter::count += 20000;     // 20 ms on the counter
            FakeCounter::milliseconds += 40; // 40 ms on the clock
            reportFrameRate(timer);
            reportFrameRate(timer); // no time has passed
            QCOMPARE(QString::fromStdString(console.out()),
                     QString(counterWorks ? "- 050.00" : "- 025.00") +
                         " frames/second \r- 000.00 frames/second \r");
        }
    }

    void theTickIsSharedAndSetOnce()
    {
        PerfTimer first;
        FakeCounter::frequencyWorks = false; // a later timer does not ask again
        PerfTimer second;
        FakeCounter::count += 1000000;
        QCOMPARE(second.currentTime() - second.startTime(), 1.0);
    }

    // The system's counter and clock agree with an independent clock over a
    // quarter of a second, within generous bounds for a busy machine.
    void theSystemCounterMeasuresSeconds()
    {
        setPerfCounterSource(nullptr);
        const PerfCounterSource& system = perfCounterSource();
        PerfTimer timer;
        const int64_t startMs = system.processMilliseconds();
        QElapsedTimer reference;
        reference.start();
        std::this_thread::sleep_for(std::chrono::milliseconds(250));
        const double seconds = timer.currentTime() - timer.startTime();
        const double expected = reference.nsecsElapsed() * 1e-9;
        QVERIFY2(seconds >= 0.9 * expected && seconds <= expected + 0.5,
                 qPrintable(QString("%1 s against %2 s").arg(seconds).arg(expected)));
        const int64_t ms = system.processMilliseconds() - startMs;
        QVERIFY2(ms >= 0.9 * 250 && ms <= 1000 * expected + 500, qPrintable(QString::number(ms)));
    }
};

QTEST_GUILESS_MAIN(TestFrameTimer)
#include "tst_frametimer.moc"

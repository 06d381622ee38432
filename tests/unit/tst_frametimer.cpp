// The frame timer and its frame-rate line, on a counter the test moves by
// hand: no sleeping.

#include "platform/perfcounter.h"
#include "render/perftimer.h"
#include "tests/support/consolecapture.h"

#include <QtTest>

#include <limits>

namespace {

// A counter of 1 MHz whose reading the test sets; it can be made to fail.
struct FakeCounter {
    static int64_t count;
    static int64_t milliseconds;
    static bool counterWorks;
    static bool frequencyWorks;

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
int64_t FakeCounter::count = 0;
int64_t FakeCounter::milliseconds = 0;
bool FakeCounter::counterWorks = true;
bool FakeCounter::frequencyWorks = true;

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
        FakeCounter::counterWorks = true;
        FakeCounter::frequencyWorks = true;
        setPerfCounterSource(&kFake);
        PerfTimer::resetTick();
    }

    void cleanup()
    {
        setPerfCounterSource(nullptr);
        PerfTimer::resetTick();
    }

    void rateLinesArePaddedAndNeverCut()
    {
        QCOMPARE(QString::fromStdString(frameRateLine(0.02)), QString("- 050.00 frames/second \r"));
        QCOMPARE(QString::fromStdString(frameRateLine(4.0)), QString("- 000.25 frames/second \r"));
        QCOMPARE(QString::fromStdString(frameRateLine(1 / 59.88)),
                 QString("- 059.88 frames/second \r"));
        QCOMPARE(QString::fromStdString(frameRateLine(1 / 1234.5)),
                 QString("- 1234.50 frames/second \r"));
        QCOMPARE(QString::fromStdString(frameRateLine(0.0)), QString("- 000.00 frames/second \r"));
        QCOMPARE(QString::fromStdString(frameRateLine(-1.0)), QString("- 000.00 frames/second \r"));
        QCOMPARE(QString::fromStdString(frameRateLine(std::numeric_limits<double>::quiet_NaN())),
                 QString("- 000.00 frames/second \r"));
        QCOMPARE(QString::fromStdString(frameRateLine(1e-12)),
                 QString("- 1000000000000.00 frames/second \r"));
    }

    void framesReportTheTimeSinceTheLastOne()
    {
        PerfTimer timer;
        QCOMPARE(timer.startTime(), 5.0);
        ConsoleCapture console;
        FakeCounter::count += 20000; // 20 ms
        reportFrameRate(timer);
        FakeCounter::count += 4000000; // 4 s of idle time
        reportFrameRate(timer);
        QCOMPARE(QString::fromStdString(console.out()),
                 QString("- 050.00 frames/second \r- 000.25 frames/second \r"));
        QCOMPARE(timer.startTime(), 9.02);
    }

    void withoutACounterTheProcessClockStandsIn()
    {
        FakeCounter::counterWorks = false;
        FakeCounter::frequencyWorks = false;
        PerfTimer timer;
        QCOMPARE(timer.startTime(), 0.1); // 100 ms at the fallback tick of 1 ms
        ConsoleCapture console;
        reportFrameRate(timer); // the same millisecond: no time has passed
        FakeCounter::milliseconds += 40;
        reportFrameRate(timer);
        QCOMPARE(QString::fromStdString(console.out()),
                 QString("- 000.00 frames/second \r- 025.00 frames/second \r"));
    }

    void theTickIsSharedAndSetOnce()
    {
        PerfTimer first;
        FakeCounter::frequencyWorks = false; // a later timer does not ask again
        PerfTimer second;
        FakeCounter::count += 1000000;
        QCOMPARE(second.currentTime() - second.startTime(), 1.0);
    }
};

QTEST_GUILESS_MAIN(TestFrameTimer)
#include "tst_frametimer.moc"

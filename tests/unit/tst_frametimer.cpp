// The frame timer and its frame-rate line: on a counter the test moves by
// hand, and on the system's own counter against an independent clock.

#include "platform/perfcounter.h"
#include "render/perftimer.h"
#include "tests/support/consolecapture.h"

#include <QElapsedTimer>
#include <QtTest>

#include <cmath>
#include <ctime>
#include <limits>
#include <thread>

namespace {

// A counter of 1 MHz whose reading the test sets; it can be made to fail.
struct FakeCounter {
    static inline int64_t count = 5000000, milliseconds = 100;
    static inline bool counterWorks = true, frequencyWorks = true;
    static bool frequency(int64_t* value) { return *value = 1000000, frequencyWorks; }
    static bool counter(int64_t* value) { return *value = count, counterWorks; }
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

    void cleanup() { init(), setPerfCounterSource(nullptr); }

    void rateLinesArePaddedAndNeverCut()
    {
        const double seconds[] = {0.02, 4.0, 1 / 1234.5, 0.0, -1.0,
                                  std::numeric_limits<double>::quiet_NaN()};
        const char* const lines[] = {"050.00", "000.25", "1234.50", "000.00", "000.00", "000.00"};
        for (int i = 0; i < 6; ++i)
            QCOMPARE(frameRateLine(seconds[i]), "- " + std::string(lines[i]) + " frames/second \r");
    }

    // Each frame reports the time since the one before; without a counter the
    // process's millisecond clock stands in. The tick is asked for once.
    void framesReportTheTimeSinceTheLastOne()
    {
        for (const bool counterWorks : {true, false}) {
            init();
            FakeCounter::counterWorks = FakeCounter::frequencyWorks = counterWorks;
            PerfTimer timer;
            QCOMPARE(timer.startTime(), counterWorks ? 5.0 : 0.1);
            ConsoleCapture console;
            FakeCounter::count += 20000;     // 20 ms on the counter
            FakeCounter::milliseconds += 40; // 40 ms on the clock
            reportFrameRate(timer);
            reportFrameRate(timer); // no time has passed
            QCOMPARE(console.out(), std::string(counterWorks ? "- 050.00" : "- 025.00") +
                                        " frames/second \r- 000.00 frames/second \r");
        }
        // The frequency is there now, but a later timer does not ask again: the tick stays 1 ms.
        FakeCounter::counterWorks = FakeCounter::frequencyWorks = true;
        PerfTimer later;
        FakeCounter::count += 1000;
        QCOMPARE(later.currentTime() - later.startTime(), 1.0);
    }

    // The system's counter is the monotonic clock, which no clock change can
    // turn back; it and the process clock agree with an independent clock
    // over a quarter of a second, within generous bounds for a busy machine.
    void theSystemCounterMeasuresSeconds()
    {
        setPerfCounterSource(nullptr);
        int64_t count = 0, frequency = 0;
        timespec monotonic;
        QVERIFY(perfCounterSource().counter(&count) && perfCounterSource().frequency(&frequency));
        clock_gettime(CLOCK_MONOTONIC, &monotonic);
        QVERIFY(std::fabs(double(count) / double(frequency) - double(monotonic.tv_sec)) < 2.0);
        PerfTimer timer;
        const int64_t startMs = perfCounterSource().processMilliseconds();
        QElapsedTimer reference;
        reference.start();
        std::this_thread::sleep_for(std::chrono::milliseconds(250));
        const double seconds = timer.currentTime() - timer.startTime();
        const double expected = reference.nsecsElapsed() * 1e-9;
        QVERIFY2(seconds >= 0.9 * expected && seconds <= expected + 0.5,
                 qPrintable(QString("%1 s against %2 s").arg(seconds).arg(expected)));
        const int64_t ms = perfCounterSource().processMilliseconds() - startMs;
        QVERIFY2(ms >= 225 && ms <= 1000 * expected + 500, qPrintable(QString::number(ms)));
    }
};

QTEST_GUILESS_MAIN(TestFrameTimer)
#include "tst_frametimer.moc"

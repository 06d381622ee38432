// The frame-rate line, and the frame timer on the system's own counter
// against an independent clock.

#include "platform/perfcounter.h"
#include "render/perftimer.h"
#include "tests/support/consolecapture.h"

#include <QElapsedTimer>
#include <QtTest>

#include <cmath>
#include <ctime>
#include <limits>
#include <thread>

class TestFrameTimer : public QObject
{
    Q_OBJECT

private slots:
    void rateLinesArePaddedAndNeverCut()
    {
        const double seconds[] = {0.02, 4.0, 1 / 1234.5, 0.0, -1.0,
                                  std::numeric_limits<double>::quiet_NaN()};
        const char* const lines[] = {"050.00", "000.25", "1234.50", "000.00", "000.00", "000.00"};
        for (int i = 0; i < 6; ++i)
            QCOMPARE(frameRateLine(seconds[i]), "- " + std::string(lines[i]) + " frames/second \r");
    }

    // The system's counter is the monotonic clock, which no clock change can
    // turn back; it and the process clock agree with an independent clock
    // over a quarter of a second, within generous bounds for a busy machine.
    void theSystemCounterMeasuresSeconds()
    {
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

// The console progress bar of a conversion's long stages, and the progress
// lines for a program that runs the converter.

#include "convert/formats/progressbar.h"

#include "platform/console.h"

#include <algorithm>
#include <iomanip>
#include <ostream>

namespace {

constexpr auto kQuietStart = std::chrono::seconds(1);
constexpr auto kRedrawInterval = std::chrono::milliseconds(100);
constexpr int kBarWidth = 30;

} // namespace

ProgressBar::~ProgressBar()
{
    if (m_drawn)
        console::out() << std::endl;
}

void ProgressBar::start(const std::string& stage)
{
    finish();
    m_stage = stage;
    m_started = Clock::now();
    m_linePercent = -1;
    printLine(int(whole(0) * 100));
}

void ProgressBar::update(double fraction)
{
    fraction = whole(std::clamp(fraction, 0.0, 1.0));
    printLine(int(fraction * 100));
    const Clock::time_point now = Clock::now();
    if (!m_enabled || now - m_started < kQuietStart ||
        (m_drawn && fraction < 1 && now - m_lastDrawn < kRedrawInterval))
        return;
    fraction = std::clamp(fraction, 0.0, 1.0);
    const int percent = int(fraction * 100);
    if (m_drawn && percent == m_shownPercent)
        return;
    m_shownPercent = percent;
    const int filled = int(fraction * kBarWidth);
    console::out() << "\r- " << std::left << std::setw(12) << m_stage << std::right << " ["
                   << std::string(size_t(filled), '#')
                   << std::string(size_t(kBarWidth - filled), ' ') << "] " << std::setw(3)
                   << int(fraction * 100) << "%" << std::flush;
    m_drawn = true;
    m_lastDrawn = now;
}

void ProgressBar::finish()
{
    if (!m_stage.empty())
        printLine(int(whole(1) * 100));
    if (m_drawn) {
        update(1);
        console::out() << std::endl;
    }
    m_drawn = false;
    m_shownPercent = -1;
}

void ProgressBar::share(int part, int parts)
{
    finish(); // the stage under way, in its own share
    m_stage.clear();
    m_part = part;
    m_parts = parts;
}

void ProgressBar::printLine(int percent)
{
    if (!m_lines || percent <= m_linePercent)
        return;
    m_linePercent = percent;
    console::out() << "progress " << m_stage << " " << percent << std::endl;
}

void ProgressBar::follow(itk::ProcessObject& filter)
{
    filter.AddObserver(itk::ProgressEvent(),
                       [this, &filter](const itk::EventObject&) { update(filter.GetProgress()); });
}

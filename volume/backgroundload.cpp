#include "volume/backgroundload.h"

#include "platform/regularfile.h"

#include <chrono>

BackgroundLoad::~BackgroundLoad()
{
    cancel();
}

void BackgroundLoad::start(const std::string& path, const VolumeLoadPlan& plan)
{
    cancel();
    m_plan = plan;
    m_lines.emplace(plan);
    m_cancel = false;
    m_fileRead = false;
    m_slicesDone = 0;
    m_fileReadSaid = false;
    m_slicesSaid = 0;
    m_read = std::async(std::launch::async, [this, path]() -> std::unique_ptr<VolumeData> {
        FilePtr file = openRegularFile(path.c_str(), "rb");
        if (!file || fseeko(file.get(), 6, SEEK_SET) != 0)
            return nullptr;
        auto volume = std::make_unique<VolumeData>();
        const LoadProgress progress{[this] { m_fileRead = true; },
                                    [this](size_t slice) { m_slicesDone = slice + 1; }, &m_cancel};
        if (!readPlannedVolume(file.get(), m_plan, *volume, progress))
            return nullptr;
        return volume;
    });
}

int BackgroundLoad::poll()
{
    if (!m_lines)
        return 0;
    if (m_fileRead && !m_fileReadSaid) {
        m_lines->fileRead();
        m_fileReadSaid = true;
    }
    const size_t done = m_slicesDone;
    for (; m_slicesSaid < done; ++m_slicesSaid)
        m_lines->sliceDone(m_slicesSaid);
    const size_t slices = m_plan.levelExtents()[2];
    return int(100 * done / std::max<size_t>(slices, 1));
}

bool BackgroundLoad::finished() const
{
    return m_read.valid() && m_read.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
}

bool BackgroundLoad::take(VolumeData& volume)
{
    if (!m_read.valid())
        return false;
    std::unique_ptr<VolumeData> read = m_read.get();
    poll();
    m_lines.reset();
    if (!read) {
        printLoadError(m_plan.failure);
        return false;
    }
    LoadLines(m_plan).finished();
    volume = std::move(*read);
    return true;
}

void BackgroundLoad::cancel()
{
    if (!m_read.valid())
        return;
    m_cancel = true;
    m_read.wait();
    m_read = {};
    m_lines.reset();
}

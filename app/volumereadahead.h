#pragma once

#include "volume/volumedata.h"

#include <future>
#include <string>

// The volumes of a time series read one ahead: while one is on show, the
// next is read and turned into densities on a thread of its own, so that a
// step costs the view no more than the upload.
class VolumeReadAhead
{
public:
    ~VolumeReadAhead(); // waits for a read under way

    // Starts reading `path` in the background at the level 1/`factor` (the
    // shown volume's), unless it is already read so.
    void request(const std::string& path, int factor);
    // Whether no read is under way (the requested volume is there to take).
    bool ready() const;
    // `path`'s volume at 1/`factor` into `volume`: the one read ahead where
    // it is that one, else read now. Returns "" or why it could not be read.
    std::string take(const std::string& path, int factor, VolumeData& volume);

    // The volume file at `path` as the view holds it: densities in 0..1 and
    // their histogram, read without a console line; at a level 1/`factor`
    // where that is more than 1 (reducedlevel.h).
    static std::string read(const std::string& path, int factor, VolumeData& volume);

private:
    struct Read
    {
        VolumeData volume;
        std::string error;
    };
    std::string m_path;
    int m_factor = 1;
    std::future<Read> m_read;
};

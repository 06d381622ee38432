// The frame benchmark's command line, read.

#include "bench/frameoptions.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

bool parse(int argc, char** argv, FrameOptions& options)
{
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--frames" && hasValue)
            options.frames = std::max(1, std::atoi(argv[++i]));
        else if (arg == "--size" && hasValue) {
            if (std::sscanf(argv[++i], "%dx%d", &options.width, &options.height) != 2)
                return false;
        } else if (arg == "--shaders" && hasValue)
            options.shaders = argv[++i];
        else if (arg == "--phantom" && hasValue) {
            int* extents = options.phantom;
            if (std::sscanf(argv[++i], "%dx%dx%d", &extents[0], &extents[1], &extents[2]) != 3)
                return false;
            options.generate = true;
        } else if (arg == "--no-leaping")
            options.leaping = false;
        else if (arg == "--breakdown")
            options.breakdown = true;
        else if (arg == "--crop" && hasValue)
            options.crop = std::clamp(std::atof(argv[++i]), 0.01, 1.0);
        else if (arg == "--zoom" && hasValue)
            options.zoomNotches = std::atoi(argv[++i]);
        else if (arg.rfind("--", 0) == 0)
            return false;
        else
            options.volume = arg;
    }
    return true;
}

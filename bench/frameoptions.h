#pragma once

// The frame benchmark's command line (see frame_bench.cpp).

#include <string>

struct FrameOptions
{
    int frames = 30;
    int warmup = 3;
    int width = 700;
    int height = 500;
    std::string shaders = KASTRA_RUN_DIR;
    std::string volume;
    int phantom[3] = {256, 256, 113};
    bool generate = false; // --phantom given
    bool leaping = true;
    bool breakdown = false;
    double crop = 1;  // --crop SHARE: the central box of that share of each side
    int zoomNotches = 0; // --zoom NOTCHES: wheel notches about the view's centre
};

// Reads the command line into `options`; false where it is not understood.
bool parse(int argc, char** argv, FrameOptions& options);

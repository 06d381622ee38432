#pragma once

#include "render/glwidget.h"

#include <QImage>

#include <string>

// The real view for the benchmarks that draw: in a window of its own, read
// back from its back buffer.

// Asks for an alpha channel in every GL widget made from now on, for pictures
// that tell shown pixels from the background. Call before the view is made.
void requestAlphaChannel();

// Makes `folder`, which holds the shader files, the working folder, where the
// view reads them; says so on standard error where it cannot.
bool enterShaderFolder(const std::string& folder);

// For a benchmark whose one option is "--shaders FOLDER": the folder given,
// or `folder` as it is without arguments; 0, or 2 with `program`'s usage on
// standard error where the arguments are other.
int shaderFolderArgument(int argc, char** argv, const char* program, std::string& folder);

class BenchView : public GLWidget
{
public:
    BenchView() : GLWidget(nullptr) {}

    // Shows the view as a window of `width` x `height` and waits until the
    // window system has exposed it, leaving its context current; says so on
    // standard error where it never was.
    bool showAt(int width, int height);

    // Whether a frame is left in the back buffer, unswapped, for picture().
    void keepFramesUnswapped(bool on) { setAutoBufferSwap(!on); }

    // Draws a frame and reads it back (top row first); the frames must be
    // kept unswapped.
    QImage picture();
    // The last frame drawn, read back without drawing another.
    QImage backBuffer();
};

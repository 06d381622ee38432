#pragma once

// Reads the shader file `name` as readTextFile does, from the first folder
// that yields it: the working directory, as the program always has (a copy
// there wins, so shaders can be edited in a run folder); the executable's
// folder (the build's run folder); and the data folder of an installation,
// found relative to the executable, so that a moved prefix or a staging
// root (DESTDIR) still works. Null when none does.
char* readShaderFile(const char* name);

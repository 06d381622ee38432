#include "render/raycastuniforms.h"

RaycastUniforms RaycastUniforms::locate(GLuint program)
{
    RaycastUniforms uniforms;
    GLint linked = GL_FALSE;
    glGetProgramiv(program, GL_LINK_STATUS, &linked);
    if (linked != GL_TRUE)
        return uniforms;
    uniforms.slices = glGetUniformLocation(program, "slices");
    uniforms.transfer = glGetUniformLocation(program, "transfer");
    uniforms.entry = glGetUniformLocation(program, "tex_entry");
    uniforms.exit = glGetUniformLocation(program, "tex_exit");
    uniforms.volumeDimension = glGetUniformLocation(program, "volume_dimension");
    uniforms.mode = glGetUniformLocation(program, "mode");
    uniforms.sampleDistance = glGetUniformLocation(program, "sample_distance");
    uniforms.jitter = glGetUniformLocation(program, "jitter_tile");
    uniforms.jitterOffset = glGetUniformLocation(program, "jitter_offset");
    uniforms.gradientsXY = glGetUniformLocation(program, "gradients_xy");
    uniforms.gradientsZ = glGetUniformLocation(program, "gradients_z");
    uniforms.cutAxis = glGetUniformLocation(program, "cut_axis");
    uniforms.cutPosition = glGetUniformLocation(program, "cut_position");
    uniforms.cutWindow = glGetUniformLocation(program, "cut_window");
    uniforms.tableTop = glGetUniformLocation(program, "table_top");
    uniforms.steepSpan = glGetUniformLocation(program, "steep_span");
    uniforms.leaping = EmptySpaceLeaping::locate(program);
    return uniforms;
}

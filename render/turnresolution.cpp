#include "render/turnresolution.h"

#include <algorithm>
#include <cmath>

void TurnResolution::frameTook(double ms)
{
    const float fitting = m_scale * float(std::sqrt(m_budgetMs / std::max(ms, 0.1)));
    m_scale = std::clamp(std::min(fitting, 1.25f * m_scale), kSmallestScale, 1.0f);
}

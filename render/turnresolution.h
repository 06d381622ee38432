#pragma once

// The share of the view's width and height a frame is ray cast at while the
// view turns, from the time the last such frame took. The time goes with the
// rays cast, the square of the scale, so sqrt(budget / time) says how far the
// scale must move to fit; it shrinks at once and grows by a quarter a frame
// at most, so that it settles, between a quarter of the rays along each side
// and all of them. It carries over from one turn to the next.
class TurnResolution
{
public:
    static constexpr float kSmallestScale = 0.25f;

    // Milliseconds a turning frame may take (36 by default: a turning frame
    // stays within about 40 ms).
    void setBudget(double ms) { m_budgetMs = ms; }

    // The scale of the next turning frame.
    float scale() const { return m_scale; }

    // Takes the time the frame drawn at scale() took.
    void frameTook(double ms);

private:
    double m_budgetMs = 36.0;
    float m_scale = 1.0f;
};

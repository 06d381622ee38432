#include "app/transferchange.h"

#include <algorithm>
#include <utility>

bool operator==(const TransferState& a, const TransferState& b)
{
    const auto same = [](const ControlPoint& p, const ControlPoint& q) {
        return p.x == q.x && p.y == q.y && p.color == q.color;
    };
    return a.minDensity == b.minDensity && a.maxDensity == b.maxDensity &&
           std::equal(a.points.begin(), a.points.end(), b.points.begin(), b.points.end(), same);
}

TransferChange::TransferChange(const TransferState& before, const TransferState& after,
                               const QString& text, int mergeId, Restore restore)
    : QUndoCommand(text), m_before(before), m_after(after), m_mergeId(mergeId),
      m_restore(std::move(restore))
{
}

void TransferChange::undo()
{
    m_restore(m_before);
}

void TransferChange::redo()
{
    if (!m_firstRedo)
        m_restore(m_after);
    m_firstRedo = false;
}

// The stack asks only for steps of the same id.
bool TransferChange::mergeWith(const QUndoCommand* other)
{
    m_after = static_cast<const TransferChange*>(other)->m_after;
    setObsolete(m_after == m_before);
    return true;
}

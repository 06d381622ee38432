#pragma once

#include "tfeditor/controlpoint.h"

#include <QUndoCommand>

#include <functional>
#include <vector>

// The editor's state as undo brings it back: the points as they lie on the
// editor, in pixels and colours, and the density window they stand in.
struct TransferState
{
    std::vector<ControlPoint> points;
    int minDensity = 0;
    int maxDensity = 0;
};

bool operator==(const TransferState& a, const TransferState& b);

// One step of the transfer function's history, from one state to another.
// It is pushed once its change has been made, so its first redo does
// nothing. Steps of one merge id in a row merge into one; one that comes
// back to where it started is dropped.
class TransferChange : public QUndoCommand
{
public:
    using Restore = std::function<void(const TransferState&)>;

    TransferChange(const TransferState& before, const TransferState& after, const QString& text,
                   int mergeId, Restore restore);

    void undo() override;
    void redo() override;
    int id() const override { return m_mergeId; }
    bool mergeWith(const QUndoCommand* other) override;

private:
    TransferState m_before;
    TransferState m_after;
    int m_mergeId;
    Restore m_restore;
    bool m_firstRedo = true;
};

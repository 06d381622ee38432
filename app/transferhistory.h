#pragma once

#include "app/transferchange.h"
#include "tfeditor/histogram.h"

#include <QObject>
#include <QString>

class QMenu;
class QSpinBox;
class QUndoStack;

// Undo and redo of every change of the transfer function: the editor's
// mouse edits (a drag is one step), the density boxes (steps of one box in
// a row are one), and whatever runs inside a Step, as a preset, a function
// file or a load does. Each step holds the whole state before and after it,
// so undo brings back the exact points, table and picture.
class TransferHistory : public QObject
{
    Q_OBJECT

public:
    TransferHistory(Histogram* editor, QSpinBox* lower, QSpinBox* upper, QObject* parent);

    // "Rückgängig" (Ctrl+Z) and "Wiederholen" (Ctrl+Shift+Z), each disabled
    // while there is nothing to undo or redo.
    void addActions(QMenu* menu);

    // While Steps live, changes are not recorded one by one: when the
    // outermost ends, what they changed together is one step, named `text`.
    class Step
    {
    public:
        Step(TransferHistory* history, const QString& text);
        ~Step();
        Step(const Step&) = delete;
        Step& operator=(const Step&) = delete;

    private:
        TransferHistory* m_history;
        QString m_text;
    };

private:
    TransferState state() const;
    // A step from the state last recorded to the present one, if they differ.
    void record(const QString& text, int mergeId = -1);
    void restore(const TransferState& state);
    void recordEdit(Histogram::Edit edit);

    Histogram* m_editor;
    QSpinBox* m_lower;
    QSpinBox* m_upper;
    QUndoStack* m_stack;
    TransferState m_recorded;
    int m_openSteps = 0;
    bool m_restoring = false;
};

#include "app/transferhistory.h"

#include "app/densitywindow.h"

#include <QAction>
#include <QMenu>
#include <QScopedValueRollback>
#include <QSpinBox>
#include <QUndoStack>

namespace {

// The merge ids of the two boxes' steps.
enum { kLowerBox = 1, kUpperBox = 2 };

} // namespace

TransferHistory::TransferHistory(Histogram* editor, QSpinBox* lower, QSpinBox* upper,
                                 QObject* parent)
    : QObject(parent), m_editor(editor), m_lower(lower), m_upper(upper),
      m_stack(new QUndoStack(this)), m_recorded(state())
{
    connect(editor->notifier(), &EditNotifier::edited, this, &TransferHistory::recordEdit);
    // Connected after the window's own slots, so the window is set when these run.
    connect(lower, QOverload<int>::of(&QSpinBox::valueChanged), this,
            [this] { record(tr("Dichtefenster"), kLowerBox); });
    connect(upper, QOverload<int>::of(&QSpinBox::valueChanged), this,
            [this] { record(tr("Dichtefenster"), kUpperBox); });
}

void TransferHistory::addActions(QMenu* menu)
{
    QAction* undo = m_stack->createUndoAction(menu, tr("&Rückgängig"));
    undo->setShortcut(QKeySequence("Ctrl+Z"));
    QAction* redo = m_stack->createRedoAction(menu, tr("&Wiederholen"));
    redo->setShortcut(QKeySequence("Ctrl+Shift+Z"));
    menu->addAction(undo);
    menu->addAction(redo);
    menu->addSeparator();
}

TransferHistory::Step::Step(TransferHistory* history, const QString& text)
    : m_history(history), m_text(text)
{
    ++m_history->m_openSteps;
}

TransferHistory::Step::~Step()
{
    if (--m_history->m_openSteps == 0)
        m_history->record(m_text);
}

TransferState TransferHistory::state() const
{
    return {m_editor->m_controlPoints, m_editor->m_minDensity, m_editor->m_maxDensity};
}

void TransferHistory::record(const QString& text, int mergeId)
{
    if (m_openSteps > 0 || m_restoring)
        return;
    const TransferState now = state();
    if (now == m_recorded)
        return;
    m_stack->push(new TransferChange(m_recorded, now, text, mergeId,
                                     [this](const TransferState& state) { restore(state); }));
    m_recorded = now;
}

void TransferHistory::recordEdit(Histogram::Edit edit)
{
    const QString texts[] = {tr("Punkt setzen"), tr("Punkt verschieben"), tr("Punkt umfärben"),
                             tr("Punkt löschen")};
    record(texts[int(edit)]);
}

// The boxes bring the window to the editor and the view, rebuilding the
// table from the points of the moment; the points then rebuild it for good.
void TransferHistory::restore(const TransferState& state)
{
    const QScopedValueRollback<bool> restoring(m_restoring, true);
    setDensityWindow(m_lower, m_upper, state.minDensity, state.maxDensity);
    m_editor->m_controlPoints = state.points;
    m_editor->update();
    m_editor->rebuildTransferFunction();
    m_recorded = state;
}

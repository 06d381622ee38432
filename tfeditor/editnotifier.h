#pragma once

#include <QObject>

// The edits of the transfer-function editor, told as they complete, for
// the undo history: kept beside the editor, whose own class declares no
// signals.
class EditNotifier : public QObject
{
    Q_OBJECT

public:
    enum class Edit { Add, Move, Recolour, Remove };

signals:
    // A mouse edit is complete; a drag once, when it ends.
    void edited(EditNotifier::Edit edit);
};

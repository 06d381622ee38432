#include "app/scankind.h"

#include "app/convertermessage.h"

QString valuesReadingText(const ScanKind& kind)
{
    const QString reading = kind.ct ? "CT (HU)" : "Kein CT";
    return kind.reason.isEmpty() ? reading : reading + ": " + converterMessageText(kind.reason);
}

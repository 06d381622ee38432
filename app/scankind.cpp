#include "app/scankind.h"

#include "app/convertermessage.h"

#include <QCoreApplication>

QString valuesReadingText(const ScanKind& kind)
{
    const QString reading =
        kind.ct ? QStringLiteral("CT (HU)") : QCoreApplication::translate("ScanKind", "Kein CT");
    return kind.reason.isEmpty() ? reading : reading + ": " + converterMessageText(kind.reason);
}

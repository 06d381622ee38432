#include "app/scankind.h"

#include <QRegularExpression>

namespace {

// The converter's reasons for its reading of the values (valuemapping.cpp,
// and where each reader says what its header states) and their German.
struct Reason
{
    const char* english; // a pattern matching the whole reason
    const char* german;  // with \1, \2, ... for its captures
};

const Reason kReasons[] = {
    {"as --(no-)?ct says", "so gewählt"},
    {"its modality is (.+)", "seine Modalität ist \\1"},
    {"its series states no modality", "seine Serie nennt keine Modalität"},
    {"its sidecar (.+) gives the modality (.+)", "seine Begleitdatei \\1 nennt die Modalität \\2"},
    {"its samples are unsigned", "seine Werte sind vorzeichenlos"},
    {"its samples were not read", "seine Werte wurden nicht gelesen"},
    {"its samples are not all integers", "seine Werte sind nicht alle ganzzahlig"},
    {"the minimum of its samples, (.+), lies above -1024",
     "sein kleinster Wert, \\1, liegt über -1024"},
    {"its samples have no peak of air near -1000",
     "seine Werte haben keinen Gipfel der Luft bei -1000"},
    {"its samples look like Hounsfield units: integers from the padding value (.+), with a peak "
     "of air at (.+) holding (.+) % of them",
     "seine Werte sind Hounsfield-Einheiten: ganze Zahlen ab dem Füllwert \\1, ein Gipfel der "
     "Luft bei \\2 hält \\3 % von ihnen"},
    {"its samples look like Hounsfield units: integers from (.+), with a peak of air at (.+) "
     "holding (.+) % of them",
     "seine Werte sind Hounsfield-Einheiten: ganze Zahlen ab \\1, ein Gipfel der Luft bei \\2 "
     "hält \\3 % von ihnen"},
};

QString inGerman(const QString& reason)
{
    for (const Reason& known : kReasons) {
        const QRegularExpressionMatch match =
            QRegularExpression(QString("^") + known.english + "$").match(reason);
        if (!match.hasMatch())
            continue;
        QString said = known.german;
        for (int i = match.lastCapturedIndex(); i >= 1; --i)
            said.replace(QString("\\%1").arg(i), match.captured(i));
        return said;
    }
    return reason;
}

} // namespace

QString valuesReadingText(const ScanKind& kind)
{
    const QString reading = kind.ct ? "CT (HU)" : "Kein CT";
    return kind.reason.isEmpty() ? reading : reading + ": " + inGerman(kind.reason);
}

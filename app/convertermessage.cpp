// The converter's messages in the window's language (convertermessage.h).

#include "app/convertermessage.h"

#include <QCoreApplication>
#include <QJsonArray>

#include <algorithm>
#include <iterator>

namespace {

struct Wording
{
    const char* code;
    const char* german; // %1, %2, ... for the arguments, in their order
};

// The codes of the converter's table (convert/messages/messagetable.cpp).
const Wording kWordings[] = {
    {"cannot-read", QT_TRANSLATE_NOOP("ConverterMessage", "'%1' kann nicht gelesen werden: %2")},
    {"cannot-write",
     QT_TRANSLATE_NOOP("ConverterMessage", "'%1' kann nicht geschrieben werden: %2")},
    {"cannot-convert",
     QT_TRANSLATE_NOOP("ConverterMessage", "'%1' kann nicht konvertiert werden: %2")},
    {"cannot-map-values",
     QT_TRANSLATE_NOOP("ConverterMessage", "Die Werte von '%1' lassen sich nicht abbilden: %2")},
    {"cannot-write-file",
     QT_TRANSLATE_NOOP("ConverterMessage", "'%1' kann nicht geschrieben werden")},
    {"cannot-write-standard-output",
     QT_TRANSLATE_NOOP("ConverterMessage", "Die Standardausgabe nimmt nichts an: %1")},
    {"cancelled", QT_TRANSLATE_NOOP("ConverterMessage", "abgebrochen")},
    {"cancelled-unwritten",
     QT_TRANSLATE_NOOP("ConverterMessage", "abgebrochen; '%1' wurde nicht geschrieben")},
    {"foreign-text", QT_TRANSLATE_NOOP("ConverterMessage", "%1")},

    {"no-such-path", QT_TRANSLATE_NOOP("ConverterMessage", "Datei oder Ordner gibt es nicht")},
    {"unknown-format",
     QT_TRANSLATE_NOOP("ConverterMessage", "es ist weder ein Ordner mit einer DICOM-Serie noch "
                                           "eine DICOM-Datei noch eine Datei im Format %1")},
    {"volume-of-single-volume-format",
     QT_TRANSLATE_NOOP("ConverterMessage", "--volume wählt unter den Volumen einer DICOM-Serie "
                                           "oder NIfTI-Datei; ein %1 enthält nur eines")},
    {"volume-missing",
     QT_TRANSLATE_NOOP("ConverterMessage", "--volume %1 verlangt ein Volumen, das fehlt; es "
                                           "enthält die Volumen 0..%2")},
    {"volume-missing-one",
     QT_TRANSLATE_NOOP("ConverterMessage",
                       "--volume %1 verlangt ein Volumen, das fehlt; es enthält nur eines")},
    {"volume-on-other-grid",
     QT_TRANSLATE_NOOP("ConverterMessage", "Volumen %1 liegt auf einem anderen Gitter als Volumen "
                                           "0; konvertieren Sie es allein mit --volume %1")},
    {"export-needs-dat",
     QT_TRANSLATE_NOOP("ConverterMessage", "nur eine .dat-Eingabe lässt sich als %1 ausgeben")},
    {"export-takes-no-options",
     QT_TRANSLATE_NOOP("ConverterMessage",
                       "eine Ausgabe schreibt die Werte unverändert und nimmt keine Optionen")},
    {"not-export-format", QT_TRANSLATE_NOOP("ConverterMessage", "es ist keine Datei im Format %1")},
    {"output-exists",
     QT_TRANSLATE_NOOP("ConverterMessage",
                       "es besteht schon; --all-volumes schreibt einen neuen Ordner")},
    {"output-not-dat",
     QT_TRANSLATE_NOOP("ConverterMessage", "die Ausgabe muss eine .dat-Datei sein oder, aus einer "
                                           ".dat-Eingabe, eine Datei im Format %1")},
    {"cannot-create", QT_TRANSLATE_NOOP("ConverterMessage", "'%1' kann nicht angelegt werden")},
    {"infinite-values",
     QT_TRANSLATE_NOOP("ConverterMessage",
                       "sie enthalten Unendlichkeiten; wählen Sie ein --window")},
    {"out-of-memory", QT_TRANSLATE_NOOP("ConverterMessage", "der Speicher reicht nicht")},
    {"memory-too-small",
     QT_TRANSLATE_NOOP("ConverterMessage", "es braucht etwa %1 Speicher, der Rechner hat %2; %3")},
    {"wider-than-dat",
     QT_TRANSLATE_NOOP("ConverterMessage", "das Volumen %1 ist breiter, als eine .dat-Datei hält "
                                           "(65535 je Seite); %2")},
    {"shrink-fits", QT_TRANSLATE_NOOP("ConverterMessage", "--shrink %1 schreibt %2")},
    {"no-shrink-fits",
     QT_TRANSLATE_NOOP("ConverterMessage", "kein --shrink bis 16 macht es klein genug")},
    {"changed-while-read",
     QT_TRANSLATE_NOOP("ConverterMessage", "es änderte sich, während es gelesen wurde")},
    {"converter-killed",
     QT_TRANSLATE_NOOP("ConverterMessage",
                       "der Konverter wurde beendet (SIGKILL), vielleicht aus Speichermangel")},
    {"converter-crashed",
     QT_TRANSLATE_NOOP("ConverterMessage",
                       "der Konverter brach mit %1 ab; das ist ein Fehler in kastra-convert")},
    {"library-overdue",
     QT_TRANSLATE_NOOP("ConverterMessage", "%1 wurde damit nicht in %2 s fertig; %3")},
    {"library-crashed", QT_TRANSLATE_NOOP("ConverterMessage", "%1 scheiterte daran (%2); %3")},
    {"library-failure-note",
     QT_TRANSLATE_NOOP(
         "ConverterMessage",
         "die Datei ist vielleicht beschädigt oder von einer Art, die %1 nicht liest")},

    {"too-many-dimensions",
     QT_TRANSLATE_NOOP("ConverterMessage", "es hat %1 Dimensionen; höchstens %2 lassen sich "
                                           "konvertieren")},
    {"several-components",
     QT_TRANSLATE_NOOP("ConverterMessage", "seine Voxel haben %1 Komponenten statt eines Werts")},
    {"extent-out-of-range",
     QT_TRANSLATE_NOOP("ConverterMessage",
                       "sein Kopf nennt eine Ausdehnung von 0 oder eine zu große")},
    {"implausible-spacing",
     QT_TRANSLATE_NOOP("ConverterMessage", "sein Voxelabstand ist %1 mm, nicht drei Größen über "
                                           "0 und bis zu einem Kilometer")},
    {"frame-not-spanning",
     QT_TRANSLATE_NOOP("ConverterMessage", "seine %1 spannen kein Volumen auf (eine Achse der "
                                           "Länge 0, oder zwei auf einer Linie)")},
    {"axes-of", QT_TRANSLATE_NOOP("ConverterMessage", "%1-Achsen")},
    {"space-directions", QT_TRANSLATE_NOOP("ConverterMessage", "Raumrichtungen")},
    {"data-file-missing", QT_TRANSLATE_NOOP("ConverterMessage", "seine Datendatei '%1' fehlt")},
    {"data-file-not-regular",
     QT_TRANSLATE_NOOP("ConverterMessage", "seine Datendatei '%1' ist keine gewöhnliche Datei")},
    {"data-file-short",
     QT_TRANSLATE_NOOP("ConverterMessage",
                       "der Kopf kündigt %1 Bytes an Werten an, '%2' enthält %3")},
    {"data-file-short-compressed",
     QT_TRANSLATE_NOOP("ConverterMessage",
                       "der Kopf kündigt %1 Bytes an Werten an, '%2' enthält %3 komprimiert")},
    {"compressed-samples-damaged",
     QT_TRANSLATE_NOOP("ConverterMessage", "seine komprimierten Werte ergeben nach %1 Bytes einen "
                                           "beschädigten Strom, der Kopf kündigt %2 an")},
    {"compressed-samples-short",
     QT_TRANSLATE_NOOP("ConverterMessage",
                       "seine komprimierten Werte ergeben %1 Bytes, der Kopf kündigt %2 an")},
    {"samples-cut-short",
     QT_TRANSLATE_NOOP("ConverterMessage", "seine Werte sind abgeschnitten oder beschädigt")},

    {"not-nifti",
     QT_TRANSLATE_NOOP("ConverterMessage", "keine gültige NIfTI-1- oder NIfTI-2-Datei")},
    {"nifti-bad-dim0", QT_TRANSLATE_NOOP("ConverterMessage", "sein dim[0] ist %1, keine Zahl "
                                                             "von Dimensionen von 1 bis 7")},
    {"nifti-not-scalars",
     QT_TRANSLATE_NOOP("ConverterMessage", "seine Werte sind %1, keine Skalare")},
    {"nifti-implausible-voxel",
     QT_TRANSLATE_NOOP("ConverterMessage", "seine %1 macht ein Voxel %2 mm breit")},
    {"nifti-writer-failed",
     QT_TRANSLATE_NOOP("ConverterMessage", "das Schreiben als NIfTI scheiterte")},

    {"not-nrrd", QT_TRANSLATE_NOOP("ConverterMessage", "keine gültige NRRD-Datei (%1)")},
    {"nrrd-type-not-numbers",
     QT_TRANSLATE_NOOP("ConverterMessage", "seine Werte sind vom Typ %1, keine Zahlen")},
    {"nrrd-axis-without-direction",
     QT_TRANSLATE_NOOP("ConverterMessage",
                       "sein Raum ist %1, aber einer Achse fehlt die Raumrichtung")},
    {"nrrd-axis-without-direction-in-dimension",
     QT_TRANSLATE_NOOP("ConverterMessage", "sein Raum ist durch seine Dimension gegeben, aber "
                                           "einer Achse fehlt die Raumrichtung")},

    {"not-metaimage", QT_TRANSLATE_NOOP("ConverterMessage", "keine gültige MetaImage-Datei")},
    {"empty-value", QT_TRANSLATE_NOOP("ConverterMessage", "leer")},
    {"metaimage-key-too-long",
     QT_TRANSLATE_NOOP("ConverterMessage",
                       "sein Kopf hat einen Schlüssel von %1 Zeichen; MetaIO nimmt 254")},
    {"metaimage-bad-ndims",
     QT_TRANSLATE_NOOP("ConverterMessage",
                       "sein NDims ist %1, keine Zahl von Dimensionen von 1 bis 16")},
    {"metaimage-bad-dimsize",
     QT_TRANSLATE_NOOP("ConverterMessage",
                       "sein DimSize ist %1, nicht %2 Ausdehnungen von mindestens 1")},
    {"metaimage-bad-compressed-size",
     QT_TRANSLATE_NOOP("ConverterMessage", "sein CompressedDataSize ist %1, keine Zahl von Bytes")},
    {"metaimage-key-missing", QT_TRANSLATE_NOOP("ConverterMessage", "sein %1 fehlt")},
    {"metaimage-line-without-key",
     QT_TRANSLATE_NOOP("ConverterMessage",
                       "seine Kopfzeile %1 hat kein '=' oder ':' nach einem Schlüssel")},
    {"metaimage-read-otherwise",
     QT_TRANSLATE_NOOP("ConverterMessage", "MetaIO liest seine Größe als %1, sein Kopf sagt %2")},
    {"metaimage-compressed-size-too-large",
     QT_TRANSLATE_NOOP("ConverterMessage",
                       "sein CompressedDataSize ist %1 Bytes, mehr als seine Datendatei enthält")},
    {"metaimage-bad-orientation-letters",
     QT_TRANSLATE_NOOP("ConverterMessage",
                       "seine AnatomicalOrientation ist %1, nicht ein Buchstabe je Achse aus R "
                       "oder L, A oder P, I oder S (wie RAI)")},
    {"metaimage-orientation-contradicts",
     QT_TRANSLATE_NOOP("ConverterMessage",
                       "seine AnatomicalOrientation %1 widerspricht seiner TransformMatrix, deren "
                       "Achsen von %2 kommen; entfernen Sie die falsche")},
    {"metaimage-several-data-files",
     QT_TRANSLATE_NOOP("ConverterMessage", "seine ElementDataFile '%1' verteilt die Werte auf "
                                           "mehrere Dateien; fügen Sie sie zu einer zusammen")},
    {"metaimage-text-samples",
     QT_TRANSLATE_NOOP("ConverterMessage",
                       "seine Werte sind Text (BinaryData = False) in %1 Dimensionen, den ITKs "
                       "Leser über seinen Puffer hinaus schreibt; speichern Sie sie binär")},

    {"not-dicom-image", QT_TRANSLATE_NOOP("ConverterMessage", "es ist kein DICOM-Bild")},
    {"no-dicom-series",
     QT_TRANSLATE_NOOP("ConverterMessage", "der Ordner enthält keine DICOM-Serie")},
    {"no-dicom-series-left-out",
     QT_TRANSLATE_NOOP("ConverterMessage", "der Ordner enthält keine DICOM-Serie; %1")},
    {"left-out-file",
     QT_TRANSLATE_NOOP("ConverterMessage", "%1 Datei ausgelassen, die kein DICOM-Bild ist: %2")},
    {"left-out-files",
     QT_TRANSLATE_NOOP("ConverterMessage",
                       "%1 Dateien ausgelassen, die keine DICOM-Bilder sind: %2")},
    {"several-series",
     QT_TRANSLATE_NOOP("ConverterMessage",
                       "es enthält %1 Serien (oben aufgeführt); wählen Sie eine mit --series UID")},
    {"no-such-series",
     QT_TRANSLATE_NOOP("ConverterMessage",
                       "es enthält keine Serie %1 (die Serien sind oben aufgeführt)")},
    {"no-series", QT_TRANSLATE_NOOP("ConverterMessage", "es enthält keine Serie %1")},
    {"file-damaged", QT_TRANSLATE_NOOP("ConverterMessage", "%1; die Datei ist beschädigt")},
    {"gdcm-cannot-read-header",
     QT_TRANSLATE_NOOP("ConverterMessage", "GDCM kann ihren Kopf nicht lesen; %1")},
    {"gdcm-cannot-decode",
     QT_TRANSLATE_NOOP("ConverterMessage", "GDCM kann ihre Pixel nicht entschlüsseln; %1")},
    {"gdcm-cannot-split-mosaic",
     QT_TRANSLATE_NOOP("ConverterMessage", "GDCM kann ihr Mosaik nicht in Schichten teilen")},
    {"image-without-series",
     QT_TRANSLATE_NOOP("ConverterMessage", "es ist ein Bild, das keine Serie nennt")},
    {"no-pixel-data", QT_TRANSLATE_NOOP("ConverterMessage", "es enthält keine Pixeldaten")},
    {"pixel-data-short", QT_TRANSLATE_NOOP("ConverterMessage", "es enthält %1 Bytes an "
                                                               "Pixeldaten, %2 sind angekündigt")},
    {"pixel-data-unlike-header",
     QT_TRANSLATE_NOOP("ConverterMessage", "ihre Pixeldaten passen nicht zu ihrem Kopf")},

    {"no-transfer-syntax",
     QT_TRANSLATE_NOOP("ConverterMessage",
                       "ihre Datei-Metainformation nennt keine Transfersyntax")},
    {"element-past-item",
     QT_TRANSLATE_NOOP("ConverterMessage", "ein Element reicht über das Ende seines Items hinaus")},
    {"element-past-sequence",
     QT_TRANSLATE_NOOP("ConverterMessage",
                       "ein Element reicht über das Ende seiner Sequenz hinaus")},
    {"element-past-end",
     QT_TRANSLATE_NOOP("ConverterMessage", "ihr Element %1 nennt %2 Bytes, %3 folgen ihm")},
    {"ends-inside-sequence", QT_TRANSLATE_NOOP("ConverterMessage", "sie endet in einer Sequenz")},
    {"ends-inside-element-header",
     QT_TRANSLATE_NOOP("ConverterMessage", "sie endet im Kopf ihres Elements %1")},
    {"element-without-vr",
     QT_TRANSLATE_NOOP("ConverterMessage", "ihr Element %1 hat keine Wertdarstellung (VR), die "
                                           "ihre Kodierung verlangt")},
    {"element-where-item-belongs",
     QT_TRANSLATE_NOOP("ConverterMessage", "ihr Element %1 steht, wo ein Item hingehört")},
    {"element-where-element-belongs",
     QT_TRANSLATE_NOOP("ConverterMessage", "ihr Element %1 steht, wo ein Element hingehört")},
    {"delimiter-with-length",
     QT_TRANSLATE_NOOP("ConverterMessage", "ihr Begrenzer %1 nennt %2 Bytes statt 0")},
    {"item-undefined-length",
     QT_TRANSLATE_NOOP("ConverterMessage", "ihr Element %1 enthält ein Item undefinierter Länge")},
    {"pixel-data-item-undefined-length",
     QT_TRANSLATE_NOOP("ConverterMessage",
                       "ihre komprimierten Pixeldaten enthalten ein Item undefinierter Länge")},
    {"compressed-pixel-data-short",
     QT_TRANSLATE_NOOP("ConverterMessage", "ihre komprimierten Pixeldaten sind abgeschnitten")},
    {"deflated-data-set-damaged",
     QT_TRANSLATE_NOOP("ConverterMessage", "ihr komprimierter Datensatz ist beschädigt")},
    {"deflated-data-set-too-large",
     QT_TRANSLATE_NOOP("ConverterMessage",
                       "ihr komprimierter Datensatz wird entpackt größer als %1 MB")},

    {"colour-samples",
     QT_TRANSLATE_NOOP("ConverterMessage", "seine Pixel sind farbig (je %1 Werte); Farbbilder "
                                           "werden nicht konvertiert")},
    {"colour-pixels", QT_TRANSLATE_NOOP("ConverterMessage", "seine Pixel sind farbig (%1); "
                                                            "Farbbilder werden nicht konvertiert")},
    {"bits-allocated",
     QT_TRANSLATE_NOOP("ConverterMessage",
                       "seine Pixel belegen %1 Bits; 8, 16 oder 32 lassen sich konvertieren")},
    {"bits-stored",
     QT_TRANSLATE_NOOP("ConverterMessage", "seine Pixel halten %1 Bits bis Bit %2; nur Werte in "
                                           "den unteren Bits lassen sich konvertieren")},
    {"pixels-stored-unlike",
     QT_TRANSLATE_NOOP("ConverterMessage", "'%1' speichert seine Pixel anders als '%2'")},
    {"no-slices", QT_TRANSLATE_NOOP("ConverterMessage", "seine Serie enthält keine Schichten")},
    {"no-position-and-orientation",
     QT_TRANSLATE_NOOP("ConverterMessage", "'%1' nennt keine Bildposition und -orientierung")},
    {"no-pixel-spacing", QT_TRANSLATE_NOOP("ConverterMessage", "'%1' nennt keinen Pixelabstand")},
    {"frames-without-positions",
     QT_TRANSLATE_NOOP("ConverterMessage", "'%1' enthält %2 Frames ohne Position für jeden")},
    {"fewer-frames-described",
     QT_TRANSLATE_NOOP("ConverterMessage",
                       "'%1' beschreibt weniger Frames als die %2, die es enthält")},
    {"for-frame", QT_TRANSLATE_NOOP("ConverterMessage", "%1 für Frame %2")},
    {"mosaic-csa-damaged",
     QT_TRANSLATE_NOOP("ConverterMessage",
                       "'%1' ist ein Mosaik, dessen privater Kopf (CSA) beschädigt ist")},
    {"mosaic-without-tile-count",
     QT_TRANSLATE_NOOP("ConverterMessage",
                       "'%1' ist ein Mosaik, dessen Zahl an Kacheln sein Kopf nicht nennt")},
    {"mosaic-without-slice-direction",
     QT_TRANSLATE_NOOP("ConverterMessage",
                       "'%1' ist ein Mosaik, dessen Schichtrichtung sein Kopf nicht nennt")},
    {"mosaic-without-spacing",
     QT_TRANSLATE_NOOP("ConverterMessage",
                       "'%1' ist ein Mosaik, das keinen Abstand zwischen seinen Schichten nennt")},
    {"orientation-not-unit-vectors",
     QT_TRANSLATE_NOOP("ConverterMessage", "die Bildorientierung von '%1' sind nicht zwei "
                                           "senkrechte Einheitsvektoren")},
    {"slices-unalike",
     QT_TRANSLATE_NOOP("ConverterMessage", "seine Schichten haben verschiedene %1, wie in '%2' "
                                           "und '%3'; nur Schichten einer Orientierung und Größe "
                                           "ergeben ein Volumen")},
    {"differing-orientations", QT_TRANSLATE_NOOP("ConverterMessage", "Orientierungen")},
    {"differing-extents",
     QT_TRANSLATE_NOOP("ConverterMessage", "Ausdehnungen (%1 x %2 und %3 x %4)")},
    {"differing-pixel-spacings", QT_TRANSLATE_NOOP("ConverterMessage", "Pixelabstände")},
    {"slices-at-one-position",
     QT_TRANSLATE_NOOP("ConverterMessage", "'%1' und '%2' liegen an einer Stelle")},
    {"slices-off-line",
     QT_TRANSLATE_NOOP("ConverterMessage", "seine Schichtpositionen folgen keiner Linie; '%1' "
                                           "liegt %2 mm daneben")},
    {"unwhole-volumes",
     QT_TRANSLATE_NOOP("ConverterMessage",
                       "seine Schichten ergeben keine ganzen Volumen: %1 liegen bei %2 mm entlang "
                       "der Schichtnormalen, aber %3 bei %4 mm")},
    {"volumes-not-told-apart",
     QT_TRANSLATE_NOOP("ConverterMessage", "'%1' und '%2' liegen an einer Stelle, und nichts "
                                           "unterscheidet ihre Volumen")},
    {"volumes-mixed",
     QT_TRANSLATE_NOOP("ConverterMessage", "die Schichten eines Volumens unterscheiden sich in "
                                           "ihrem Merkmal %1 ('%2' und '%3'); seine Volumen sind "
                                           "gemischt")},
    {"sheared-keep-grid",
     QT_TRANSLATE_NOOP("ConverterMessage",
                       "seine Schichten sind durch eine Gantry-Neigung von %1 Grad geschert; "
                       "--keep-grid kann kein geschertes Gitter behalten")},
    {"uneven-slice-spacing",
     QT_TRANSLATE_NOOP("ConverterMessage",
                       "sein Schichtabstand ist ungleichmäßig (%1); "
                       "--keep-grid kann kein ungleichmäßiges Gitter behalten")},
    {"uneven-step",
     QT_TRANSLATE_NOOP("ConverterMessage",
                       "die Schichten bei %1 und %2 mm entlang der Schichtnormalen liegen %3 mm "
                       "auseinander, der übliche Abstand ist %4 mm")},
    {"uneven-steps",
     QT_TRANSLATE_NOOP("ConverterMessage",
                       "die Schichten bei %1 und %2 mm entlang der Schichtnormalen liegen %3 mm "
                       "auseinander, der übliche Abstand ist %4 mm (%5 ungleichmäßige Schritte)")},

    {"ct-option", QT_TRANSLATE_NOOP("ConverterMessage", "so gewählt")},
    {"no-ct-option", QT_TRANSLATE_NOOP("ConverterMessage", "so gewählt")},
    {"modality", QT_TRANSLATE_NOOP("ConverterMessage", "seine Modalität ist %1")},
    {"series-without-modality",
     QT_TRANSLATE_NOOP("ConverterMessage", "seine Serie nennt keine Modalität")},
    {"sidecar-modality",
     QT_TRANSLATE_NOOP("ConverterMessage", "seine Begleitdatei '%1' nennt die Modalität %2")},
    {"samples-unsigned", QT_TRANSLATE_NOOP("ConverterMessage", "seine Werte sind vorzeichenlos")},
    {"samples-not-read", QT_TRANSLATE_NOOP("ConverterMessage", "seine Werte wurden nicht gelesen")},
    {"samples-not-integers",
     QT_TRANSLATE_NOOP("ConverterMessage", "seine Werte sind nicht alle ganzzahlig")},
    {"minimum-above-air",
     QT_TRANSLATE_NOOP("ConverterMessage", "sein kleinster Wert, %1, liegt über -1024")},
    {"no-peak-of-air",
     QT_TRANSLATE_NOOP("ConverterMessage", "seine Werte haben keinen Gipfel der Luft bei -1000")},
    {"hounsfield-samples",
     QT_TRANSLATE_NOOP("ConverterMessage",
                       "seine Werte sind Hounsfield-Einheiten: ganze Zahlen "
                       "ab %1, ein Gipfel der Luft bei %2 hält %3 % von ihnen")},
    {"hounsfield-samples-padded",
     QT_TRANSLATE_NOOP("ConverterMessage",
                       "seine Werte sind Hounsfield-Einheiten: ganze Zahlen ab dem Füllwert %1, "
                       "ein Gipfel der Luft bei %2 hält %3 % von ihnen")},
};

const Wording* wordingOf(const QString& code)
{
    const auto found = std::find_if(std::begin(kWordings), std::end(kWordings),
                                    [&](const Wording& wording) { return code == wording.code; });
    return found == std::end(kWordings) ? nullptr : found;
}

} // namespace

QString converterMessageText(const QJsonObject& message)
{
    const Wording* wording = wordingOf(message.value("code").toString());
    if (!wording)
        return message.value("text").toString();
    const QString pattern = QCoreApplication::translate("ConverterMessage", wording->german);
    const QJsonArray arguments = message.value("arguments").toArray();
    // One pass, so that an argument holding "%2" (a file's name) stays as it is.
    QString text;
    for (int at = 0; at < pattern.size(); ++at) {
        const int index = at + 1 < pattern.size() ? pattern[at + 1].digitValue() - 1 : -1;
        if (pattern[at] == '%' && index >= 0 && index < arguments.size()) {
            const QJsonValue argument = arguments[index];
            text += argument.isObject() ? converterMessageText(argument.toObject())
                                        : argument.toString();
            ++at;
        } else {
            text += pattern[at];
        }
    }
    return text;
}

bool knowsConverterMessage(const QString& code)
{
    return wordingOf(code) != nullptr;
}

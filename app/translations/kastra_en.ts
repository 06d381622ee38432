<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="de">
<context>
    <name>AxesDialog</name>
    <message>
        <source>Achsen</source>
        <translation>Axes</translation>
    </message>
    <message>
        <source>Um 90° drehen:</source>
        <translation>Turn by 90°:</translation>
    </message>
    <message>
        <source>Spiegeln:</source>
        <translation>Mirror:</translation>
    </message>
    <message>
        <source>um die &amp;Waagerechte</source>
        <translation>about the &amp;horizontal</translation>
    </message>
    <message>
        <source>um die &amp;Senkrechte</source>
        <translation>about the &amp;vertical</translation>
    </message>
    <message>
        <source>in der &amp;Bildebene</source>
        <translation>in the &amp;picture&apos;s plane</translation>
    </message>
    <message>
        <source>&amp;links und rechts</source>
        <translation>&amp;left and right</translation>
    </message>
    <message>
        <source>&amp;oben und unten</source>
        <translation>&amp;top and bottom</translation>
    </message>
    <message>
        <source>&amp;vorn und hinten</source>
        <translation>&amp;front and back</translation>
    </message>
    <message>
        <source>Schl&amp;ießen</source>
        <translation>&amp;Close</translation>
    </message>
    <message>
        <source>Achsen der &amp;Datei</source>
        <translation>The file&apos;s &amp;axes</translation>
    </message>
    <message>
        <source>Die Achsen der Datei</source>
        <translation>The file&apos;s axes</translation>
    </message>
    <message>
        <source>Gespiegelt</source>
        <translation>Mirrored</translation>
    </message>
    <message>
        <source>Gedreht</source>
        <translation>Turned</translation>
    </message>
    <message>
        <source>%1. Von oben gesehen, ungedreht: nach rechts %2, nach oben %3, zum Betrachter %4.</source>
        <translation>%1. Seen from above, unturned: to the right %2, up %3, towards the viewer %4.</translation>
    </message>
</context>
<context>
    <name>ConverterMessage</name>
    <message>
        <source>&apos;%1&apos; kann nicht gelesen werden: %2</source>
        <translation>cannot read &apos;%1&apos;: %2</translation>
    </message>
    <message>
        <source>&apos;%1&apos; kann nicht geschrieben werden: %2</source>
        <translation>cannot write &apos;%1&apos;: %2</translation>
    </message>
    <message>
        <source>&apos;%1&apos; kann nicht konvertiert werden: %2</source>
        <translation>cannot convert &apos;%1&apos;: %2</translation>
    </message>
    <message>
        <source>Die Werte von &apos;%1&apos; lassen sich nicht abbilden: %2</source>
        <translation>cannot map the values of &apos;%1&apos;: %2</translation>
    </message>
    <message>
        <source>&apos;%1&apos; kann nicht geschrieben werden</source>
        <translation>cannot write &apos;%1&apos;</translation>
    </message>
    <message>
        <source>Die Standardausgabe nimmt nichts an: %1</source>
        <translation>cannot write to the standard output: %1</translation>
    </message>
    <message>
        <source>abgebrochen</source>
        <translation>cancelled</translation>
    </message>
    <message>
        <source>abgebrochen; &apos;%1&apos; wurde nicht geschrieben</source>
        <translation>cancelled; &apos;%1&apos; was not written</translation>
    </message>
    <message>
        <source>%1</source>
        <translation>%1</translation>
    </message>
    <message>
        <source>Datei oder Ordner gibt es nicht</source>
        <translation>no such file or folder</translation>
    </message>
    <message>
        <source>es ist weder ein Ordner mit einer DICOM-Serie noch eine DICOM-Datei noch eine Datei im Format %1</source>
        <translation>it is not a folder holding a DICOM series, a DICOM file, or a %1 file</translation>
    </message>
    <message>
        <source>--volume wählt unter den Volumen einer DICOM-Serie oder NIfTI-Datei; ein %1 enthält nur eines</source>
        <translation>--volume chooses among the volumes of a DICOM series or a NIfTI file; a %1 holds one</translation>
    </message>
    <message>
        <source>--volume %1 verlangt ein Volumen, das fehlt; es enthält die Volumen 0..%2</source>
        <translation>--volume %1 asks for a volume it lacks; it holds volumes 0..%2</translation>
    </message>
    <message>
        <source>--volume %1 verlangt ein Volumen, das fehlt; es enthält nur eines</source>
        <translation>--volume %1 asks for a volume it lacks; it holds one volume</translation>
    </message>
    <message>
        <source>Volumen %1 liegt auf einem anderen Gitter als Volumen 0; konvertieren Sie es allein mit --volume %1</source>
        <translation>volume %1 lies on another grid than volume 0; convert it alone with --volume %1</translation>
    </message>
    <message>
        <source>nur eine .dat-Eingabe lässt sich als %1 ausgeben</source>
        <translation>only a .dat INPUT exports to %1</translation>
    </message>
    <message>
        <source>eine Ausgabe schreibt die Werte unverändert und nimmt keine Optionen</source>
        <translation>an export writes the samples unchanged and takes no options</translation>
    </message>
    <message>
        <source>es ist keine Datei im Format %1</source>
        <translation>it is not %1</translation>
    </message>
    <message>
        <source>es besteht schon; --all-volumes schreibt einen neuen Ordner</source>
        <translation>it exists; --all-volumes writes a new folder</translation>
    </message>
    <message>
        <source>die Ausgabe muss eine .dat-Datei sein oder, aus einer .dat-Eingabe, eine Datei im Format %1</source>
        <translation>OUTPUT must be a .dat file, or from a .dat INPUT a %1 file</translation>
    </message>
    <message>
        <source>&apos;%1&apos; kann nicht angelegt werden</source>
        <translation>cannot create &apos;%1&apos;</translation>
    </message>
    <message>
        <source>sie enthalten Unendlichkeiten; wählen Sie ein --window</source>
        <translation>they include infinities; choose a --window</translation>
    </message>
    <message>
        <source>der Speicher reicht nicht</source>
        <translation>out of memory</translation>
    </message>
    <message>
        <source>--shrink %1 schreibt %2</source>
        <translation>--shrink %1 writes %2</translation>
    </message>
    <message>
        <source>kein --shrink bis 16 macht es klein genug</source>
        <translation>no --shrink up to 16 makes it fit</translation>
    </message>
    <message>
        <source>es änderte sich, während es gelesen wurde</source>
        <translation>it changed while it was read</translation>
    </message>
    <message>
        <source>der Konverter wurde beendet (SIGKILL), vielleicht aus Speichermangel</source>
        <translation>the converter was killed (SIGKILL), perhaps for want of memory</translation>
    </message>
    <message>
        <source>der Konverter brach mit %1 ab; das ist ein Fehler in kastra-convert</source>
        <translation>the converter stopped on %1; this is a fault in kastra-convert</translation>
    </message>
    <message>
        <source>%1 wurde damit nicht in %2 s fertig; %3</source>
        <translation>%1 did not finish with it in %2 s; %3</translation>
    </message>
    <message>
        <source>%1 scheiterte daran (%2); %3</source>
        <translation>%1 failed on it (%2); %3</translation>
    </message>
    <message>
        <source>die Datei ist vielleicht beschädigt oder von einer Art, die %1 nicht liest</source>
        <translation>the file may be damaged, or of a kind %1 does not read</translation>
    </message>
    <message>
        <source>es hat %1 Dimensionen; höchstens %2 lassen sich konvertieren</source>
        <translation>it has %1 dimensions; at most %2 convert</translation>
    </message>
    <message>
        <source>seine Voxel haben %1 Komponenten statt eines Werts</source>
        <translation>its voxels have %1 components, not one value</translation>
    </message>
    <message>
        <source>sein Kopf nennt eine Ausdehnung von 0 oder eine zu große</source>
        <translation>its header gives an extent of 0, or one too large to hold</translation>
    </message>
    <message>
        <source>sein Voxelabstand ist %1 mm, nicht drei Größen über 0 und bis zu einem Kilometer</source>
        <translation>its voxel spacing is %1 mm, not three sizes above 0 and up to a kilometre</translation>
    </message>
    <message>
        <source>seine %1 spannen kein Volumen auf (eine Achse der Länge 0, oder zwei auf einer Linie)</source>
        <translation>its %1 do not span a volume (an axis of length 0, or two along one line)</translation>
    </message>
    <message>
        <source>%1-Achsen</source>
        <translation>%1&apos;s axes</translation>
    </message>
    <message>
        <source>Raumrichtungen</source>
        <translation>space directions</translation>
    </message>
    <message>
        <source>seine Datendatei &apos;%1&apos; fehlt</source>
        <translation>its data file &apos;%1&apos; is missing</translation>
    </message>
    <message>
        <source>seine Datendatei &apos;%1&apos; ist keine gewöhnliche Datei</source>
        <translation>its data file &apos;%1&apos; is not a regular file</translation>
    </message>
    <message>
        <source>der Kopf kündigt %1 Bytes an Werten an, &apos;%2&apos; enthält %3</source>
        <translation>the header announces %1 bytes of samples, &apos;%2&apos; holds %3</translation>
    </message>
    <message>
        <source>der Kopf kündigt %1 Bytes an Werten an, &apos;%2&apos; enthält %3 komprimiert</source>
        <translation>the header announces %1 bytes of samples, &apos;%2&apos; holds %3 compressed</translation>
    </message>
    <message>
        <source>seine komprimierten Werte ergeben nach %1 Bytes einen beschädigten Strom, der Kopf kündigt %2 an</source>
        <translation>its compressed samples inflate to a damaged stream after %1 bytes, the header announces %2</translation>
    </message>
    <message>
        <source>seine komprimierten Werte ergeben %1 Bytes, der Kopf kündigt %2 an</source>
        <translation>its compressed samples inflate to %1 bytes, the header announces %2</translation>
    </message>
    <message>
        <source>seine Werte sind abgeschnitten oder beschädigt</source>
        <translation>its samples are cut short or damaged</translation>
    </message>
    <message>
        <source>keine gültige NIfTI-1- oder NIfTI-2-Datei</source>
        <translation>not a valid NIfTI-1 or NIfTI-2 file</translation>
    </message>
    <message>
        <source>sein dim[0] ist %1, keine Zahl von Dimensionen von 1 bis 7</source>
        <translation>its dim[0] is %1, not a number of dimensions from 1 to 7</translation>
    </message>
    <message>
        <source>seine Werte sind %1, keine Skalare</source>
        <translation>its values are %1, not scalars</translation>
    </message>
    <message>
        <source>seine %1 macht ein Voxel %2 mm breit</source>
        <translation>its %1 makes a voxel %2 mm wide</translation>
    </message>
    <message>
        <source>das Schreiben als NIfTI scheiterte</source>
        <translation>the NIfTI writer failed</translation>
    </message>
    <message>
        <source>keine gültige NRRD-Datei (%1)</source>
        <translation>not a valid NRRD file (%1)</translation>
    </message>
    <message>
        <source>seine Werte sind vom Typ %1, keine Zahlen</source>
        <translation>its samples are of type %1, not numbers</translation>
    </message>
    <message>
        <source>sein Raum ist %1, aber einer Achse fehlt die Raumrichtung</source>
        <translation>its space is %1, but an axis has no space direction</translation>
    </message>
    <message>
        <source>sein Raum ist durch seine Dimension gegeben, aber einer Achse fehlt die Raumrichtung</source>
        <translation>its space is given by its dimension, but an axis has no space direction</translation>
    </message>
    <message>
        <source>keine gültige MetaImage-Datei</source>
        <translation>not a valid MetaImage file</translation>
    </message>
    <message>
        <source>leer</source>
        <translation>empty</translation>
    </message>
    <message>
        <source>sein Kopf hat einen Schlüssel von %1 Zeichen; MetaIO nimmt 254</source>
        <translation>its header has a key of %1 characters; MetaIO takes 254</translation>
    </message>
    <message>
        <source>sein NDims ist %1, keine Zahl von Dimensionen von 1 bis 16</source>
        <translation>its NDims is %1, not a number of dimensions from 1 to 16</translation>
    </message>
    <message>
        <source>sein DimSize ist %1, nicht %2 Ausdehnungen von mindestens 1</source>
        <translation>its DimSize is %1, not %2 extents of at least 1</translation>
    </message>
    <message>
        <source>sein CompressedDataSize ist %1, keine Zahl von Bytes</source>
        <translation>its CompressedDataSize is %1, not a number of bytes</translation>
    </message>
    <message>
        <source>sein %1 fehlt</source>
        <translation>its %1 is missing</translation>
    </message>
    <message>
        <source>sein CompressedDataSize ist %1 Bytes, mehr als seine Datendatei enthält</source>
        <translation>its CompressedDataSize is %1 bytes, more than its data file holds</translation>
    </message>
    <message>
        <source>seine AnatomicalOrientation ist %1, nicht ein Buchstabe je Achse aus R oder L, A oder P, I oder S (wie RAI)</source>
        <translation>its AnatomicalOrientation is %1, not one letter for each axis from R or L, A or P, I or S (as RAI)</translation>
    </message>
    <message>
        <source>seine AnatomicalOrientation %1 widerspricht seiner TransformMatrix, deren Achsen von %2 kommen; entfernen Sie die falsche</source>
        <translation>its AnatomicalOrientation %1 contradicts its TransformMatrix, whose axes come from %2; remove the one that is wrong</translation>
    </message>
    <message>
        <source>seine ElementDataFile &apos;%1&apos; verteilt die Werte auf mehrere Dateien; fügen Sie sie zu einer zusammen</source>
        <translation>its ElementDataFile &apos;%1&apos; spreads the samples over several files; join them into one</translation>
    </message>
    <message>
        <source>seine Werte sind Text (BinaryData = False) in %1 Dimensionen, den ITKs Leser über seinen Puffer hinaus schreibt; speichern Sie sie binär</source>
        <translation>its samples are text (BinaryData = False) in %1 dimensions, which ITK&apos;s reader writes past its buffer; store them in binary</translation>
    </message>
    <message>
        <source>es ist kein DICOM-Bild</source>
        <translation>it is not a DICOM image</translation>
    </message>
    <message>
        <source>der Ordner enthält keine DICOM-Serie</source>
        <translation>the folder holds no DICOM series</translation>
    </message>
    <message>
        <source>der Ordner enthält keine DICOM-Serie; %1</source>
        <translation>the folder holds no DICOM series; %1</translation>
    </message>
    <message>
        <source>%1 Datei ausgelassen, die kein DICOM-Bild ist: %2</source>
        <translation>left out %1 file that is not a DICOM image: %2</translation>
    </message>
    <message>
        <source>%1 Dateien ausgelassen, die keine DICOM-Bilder sind: %2</source>
        <translation>left out %1 files that are not a DICOM image: %2</translation>
    </message>
    <message>
        <source>es enthält %1 Serien (oben aufgeführt); wählen Sie eine mit --series UID</source>
        <translation>it holds %1 series (listed above); choose one with --series UID</translation>
    </message>
    <message>
        <source>es enthält keine Serie %1 (die Serien sind oben aufgeführt)</source>
        <translation>it holds no series %1 (the series are listed above)</translation>
    </message>
    <message>
        <source>es enthält keine Serie %1</source>
        <translation>it holds no series %1</translation>
    </message>
    <message>
        <source>%1; die Datei ist beschädigt</source>
        <translation>%1; the file is damaged</translation>
    </message>
    <message>
        <source>GDCM kann ihren Kopf nicht lesen; %1</source>
        <translation>GDCM cannot read its header; %1</translation>
    </message>
    <message>
        <source>GDCM kann ihre Pixel nicht entschlüsseln; %1</source>
        <translation>GDCM cannot decode its pixels; %1</translation>
    </message>
    <message>
        <source>GDCM kann ihr Mosaik nicht in Schichten teilen</source>
        <translation>GDCM cannot split its mosaic into slices</translation>
    </message>
    <message>
        <source>es ist ein Bild, das keine Serie nennt</source>
        <translation>it is an image that names no series</translation>
    </message>
    <message>
        <source>es enthält keine Pixeldaten</source>
        <translation>it holds no pixel data</translation>
    </message>
    <message>
        <source>es enthält %1 Bytes an Pixeldaten, %2 sind angekündigt</source>
        <translation>it holds %1 bytes of pixel data, %2 are announced</translation>
    </message>
    <message>
        <source>ihre Pixeldaten passen nicht zu ihrem Kopf</source>
        <translation>its pixel data does not match its header</translation>
    </message>
    <message>
        <source>ihre Datei-Metainformation nennt keine Transfersyntax</source>
        <translation>its file meta information names no transfer syntax</translation>
    </message>
    <message>
        <source>ein Element reicht über das Ende seines Items hinaus</source>
        <translation>an element runs past the end of its item</translation>
    </message>
    <message>
        <source>ein Element reicht über das Ende seiner Sequenz hinaus</source>
        <translation>an element runs past the end of its sequence</translation>
    </message>
    <message>
        <source>ihr Element %1 nennt %2 Bytes, %3 folgen ihm</source>
        <translation>its element %1 states %2 bytes, %3 follow it</translation>
    </message>
    <message>
        <source>sie endet in einer Sequenz</source>
        <translation>it ends inside a sequence</translation>
    </message>
    <message>
        <source>sie endet im Kopf ihres Elements %1</source>
        <translation>it ends inside the header of its element %1</translation>
    </message>
    <message>
        <source>ihr Element %1 hat keine Wertdarstellung (VR), die ihre Kodierung verlangt</source>
        <translation>its element %1 has no value representation, which its encoding requires</translation>
    </message>
    <message>
        <source>ihr Element %1 steht, wo ein Item hingehört</source>
        <translation>its element %1 stands where an item belongs</translation>
    </message>
    <message>
        <source>ihr Element %1 steht, wo ein Element hingehört</source>
        <translation>its element %1 stands where an element belongs</translation>
    </message>
    <message>
        <source>ihr Begrenzer %1 nennt %2 Bytes statt 0</source>
        <translation>its delimiter %1 states %2 bytes, not 0</translation>
    </message>
    <message>
        <source>ihr Element %1 enthält ein Item undefinierter Länge</source>
        <translation>its element %1 holds an item of undefined length</translation>
    </message>
    <message>
        <source>ihre komprimierten Pixeldaten enthalten ein Item undefinierter Länge</source>
        <translation>its compressed pixel data holds an item of undefined length</translation>
    </message>
    <message>
        <source>ihre komprimierten Pixeldaten sind abgeschnitten</source>
        <translation>its compressed pixel data is cut short</translation>
    </message>
    <message>
        <source>ihr komprimierter Datensatz ist beschädigt</source>
        <translation>its deflated data set is damaged</translation>
    </message>
    <message>
        <source>ihr komprimierter Datensatz wird entpackt größer als %1 MB</source>
        <translation>its deflated data set inflates to more than %1 MB</translation>
    </message>
    <message>
        <source>seine Pixel sind farbig (je %1 Werte); Farbbilder werden nicht konvertiert</source>
        <translation>its pixels are colour (%1 samples each); colour images are not converted</translation>
    </message>
    <message>
        <source>seine Pixel sind farbig (%1); Farbbilder werden nicht konvertiert</source>
        <translation>its pixels are colour (%1); colour images are not converted</translation>
    </message>
    <message>
        <source>seine Pixel belegen %1 Bits; 8, 16 oder 32 lassen sich konvertieren</source>
        <translation>its pixels take %1 bits; 8, 16 or 32 convert</translation>
    </message>
    <message>
        <source>seine Pixel halten %1 Bits bis Bit %2; nur Werte in den unteren Bits lassen sich konvertieren</source>
        <translation>its pixels keep %1 bits up to bit %2; only values in the low bits convert</translation>
    </message>
    <message>
        <source>&apos;%1&apos; speichert seine Pixel anders als &apos;%2&apos;</source>
        <translation>&apos;%1&apos; stores its pixels unlike &apos;%2&apos;</translation>
    </message>
    <message>
        <source>seine Serie enthält keine Schichten</source>
        <translation>its series holds no slices</translation>
    </message>
    <message>
        <source>&apos;%1&apos; nennt keine Bildposition und -orientierung</source>
        <translation>&apos;%1&apos; states no image position and orientation</translation>
    </message>
    <message>
        <source>&apos;%1&apos; nennt keinen Pixelabstand</source>
        <translation>&apos;%1&apos; states no pixel spacing</translation>
    </message>
    <message>
        <source>&apos;%1&apos; enthält %2 Frames ohne Position für jeden</source>
        <translation>&apos;%1&apos; holds %2 frames without a position for each</translation>
    </message>
    <message>
        <source>&apos;%1&apos; beschreibt weniger Frames als die %2, die es enthält</source>
        <translation>&apos;%1&apos; describes fewer frames than the %2 it holds</translation>
    </message>
    <message>
        <source>%1 für Frame %2</source>
        <translation>%1 for frame %2</translation>
    </message>
    <message>
        <source>&apos;%1&apos; ist ein Mosaik, dessen privater Kopf (CSA) beschädigt ist</source>
        <translation>&apos;%1&apos; is a mosaic whose private (CSA) header is damaged</translation>
    </message>
    <message>
        <source>&apos;%1&apos; ist ein Mosaik, dessen Zahl an Kacheln sein Kopf nicht nennt</source>
        <translation>&apos;%1&apos; is a mosaic whose number of tiles its header does not give</translation>
    </message>
    <message>
        <source>&apos;%1&apos; ist ein Mosaik, dessen Schichtrichtung sein Kopf nicht nennt</source>
        <translation>&apos;%1&apos; is a mosaic whose slice direction its header does not give</translation>
    </message>
    <message>
        <source>&apos;%1&apos; ist ein Mosaik, das keinen Abstand zwischen seinen Schichten nennt</source>
        <translation>&apos;%1&apos; is a mosaic that states no spacing between its slices</translation>
    </message>
    <message>
        <source>die Bildorientierung von &apos;%1&apos; sind nicht zwei senkrechte Einheitsvektoren</source>
        <translation>the image orientation of &apos;%1&apos; is not two perpendicular unit vectors</translation>
    </message>
    <message>
        <source>seine Schichten haben verschiedene %1, wie in &apos;%2&apos; und &apos;%3&apos;; nur Schichten einer Orientierung und Größe ergeben ein Volumen</source>
        <translation>its slices have different %1, as in &apos;%2&apos; and &apos;%3&apos;; only slices of one orientation and size make a volume</translation>
    </message>
    <message>
        <source>Orientierungen</source>
        <translation>orientations</translation>
    </message>
    <message>
        <source>Ausdehnungen (%1 x %2 und %3 x %4)</source>
        <translation>extents (%1 x %2 and %3 x %4)</translation>
    </message>
    <message>
        <source>Pixelabstände</source>
        <translation>pixel spacings</translation>
    </message>
    <message>
        <source>&apos;%1&apos; und &apos;%2&apos; liegen an einer Stelle</source>
        <translation>&apos;%1&apos; and &apos;%2&apos; lie at one position</translation>
    </message>
    <message>
        <source>seine Schichtpositionen folgen keiner Linie; &apos;%1&apos; liegt %2 mm daneben</source>
        <translation>its slice positions do not advance along a line; &apos;%1&apos; lies %2 mm off it</translation>
    </message>
    <message>
        <source>seine Schichten ergeben keine ganzen Volumen: %1 liegen bei %2 mm entlang der Schichtnormalen, aber %3 bei %4 mm</source>
        <translation>its slices do not make whole volumes: %1 lie at %2 mm along the slice normal but %3 at %4 mm</translation>
    </message>
    <message>
        <source>&apos;%1&apos; und &apos;%2&apos; liegen an einer Stelle, und nichts unterscheidet ihre Volumen</source>
        <translation>&apos;%1&apos; and &apos;%2&apos; lie at one position and nothing tells their volumes apart</translation>
    </message>
    <message>
        <source>die Schichten eines Volumens unterscheiden sich in ihrem Merkmal %1 (&apos;%2&apos; und &apos;%3&apos;); seine Volumen sind gemischt</source>
        <translation>the slices of one volume differ in their %1 (&apos;%2&apos; and &apos;%3&apos;); its volumes are mixed</translation>
    </message>
    <message>
        <source>seine Schichten sind durch eine Gantry-Neigung von %1 Grad geschert; --keep-grid kann kein geschertes Gitter behalten</source>
        <translation>its slices are sheared by a gantry tilt of %1 degrees; --keep-grid cannot keep a sheared grid</translation>
    </message>
    <message>
        <source>sein Schichtabstand ist ungleichmäßig (%1); --keep-grid kann kein ungleichmäßiges Gitter behalten</source>
        <translation>its slice spacing is uneven (%1); --keep-grid cannot keep an uneven grid</translation>
    </message>
    <message>
        <source>die Schichten bei %1 und %2 mm entlang der Schichtnormalen liegen %3 mm auseinander, der übliche Abstand ist %4 mm</source>
        <translation>the slices at %1 and %2 mm along the slice normal lie %3 mm apart, the usual spacing is %4 mm</translation>
    </message>
    <message>
        <source>die Schichten bei %1 und %2 mm entlang der Schichtnormalen liegen %3 mm auseinander, der übliche Abstand ist %4 mm (%5 ungleichmäßige Schritte)</source>
        <translation>the slices at %1 and %2 mm along the slice normal lie %3 mm apart, the usual spacing is %4 mm (%5 uneven steps)</translation>
    </message>
    <message>
        <source>so gewählt</source>
        <translation>as chosen</translation>
    </message>
    <message>
        <source>seine Modalität ist %1</source>
        <translation>its modality is %1</translation>
    </message>
    <message>
        <source>seine Serie nennt keine Modalität</source>
        <translation>its series states no modality</translation>
    </message>
    <message>
        <source>seine Begleitdatei &apos;%1&apos; nennt die Modalität %2</source>
        <translation>its sidecar &apos;%1&apos; gives the modality %2</translation>
    </message>
    <message>
        <source>seine Werte sind vorzeichenlos</source>
        <translation>its samples are unsigned</translation>
    </message>
    <message>
        <source>seine Werte wurden nicht gelesen</source>
        <translation>its samples were not read</translation>
    </message>
    <message>
        <source>seine Werte sind nicht alle ganzzahlig</source>
        <translation>its samples are not all integers</translation>
    </message>
    <message>
        <source>sein kleinster Wert, %1, liegt über -1024</source>
        <translation>the minimum of its samples, %1, lies above -1024</translation>
    </message>
    <message>
        <source>seine Werte haben keinen Gipfel der Luft bei -1000</source>
        <translation>its samples have no peak of air near -1000</translation>
    </message>
    <message>
        <source>seine Werte sind Hounsfield-Einheiten: ganze Zahlen ab %1, ein Gipfel der Luft bei %2 hält %3 % von ihnen</source>
        <translation>its samples look like Hounsfield units: integers from %1, with a peak of air at %2 holding %3 % of them</translation>
    </message>
    <message>
        <source>seine Werte sind Hounsfield-Einheiten: ganze Zahlen ab dem Füllwert %1, ein Gipfel der Luft bei %2 hält %3 % von ihnen</source>
        <translation>its samples look like Hounsfield units: integers from the padding value %1, with a peak of air at %2 holding %3 % of them</translation>
    </message>
    <message>
        <source>seine Kopfzeile %1 hat kein &apos;=&apos; oder &apos;:&apos; nach einem Schlüssel</source>
        <translation>its header line %1 holds no &apos;=&apos; or &apos;:&apos; after a key</translation>
    </message>
    <message>
        <source>MetaIO liest seine Größe als %1, sein Kopf sagt %2</source>
        <translation>MetaIO reads its size as %1, its header says %2</translation>
    </message>
    <message>
        <source>es braucht etwa %1 Speicher, der Rechner hat %2; %3</source>
        <translation>it needs about %1 of memory, the machine has %2; %3</translation>
    </message>
    <message>
        <source>das Volumen %1 ist breiter, als eine .dat-Datei hält (65535 je Seite); %2</source>
        <translation>the volume %1 is wider than a .dat file holds (65535 a side); %2</translation>
    </message>
</context>
<context>
    <name>CropDialog</name>
    <message>
        <source>Zuschneiden</source>
        <translation>Crop</translation>
    </message>
    <message>
        <source>von</source>
        <translation>from</translation>
    </message>
    <message>
        <source>bis</source>
        <translation>to</translation>
    </message>
    <message>
        <source>&amp;Schließen</source>
        <translation>&amp;Close</translation>
    </message>
    <message>
        <source>&amp;Ganzes Volumen</source>
        <translation>&amp;Whole volume</translation>
    </message>
    <message>
        <source>Das ganze Volumen zeigen, nach einem Ausschnitt in voller Auflösung wieder die verkleinerte Stufe</source>
        <translation>Show the whole volume; after a region at full resolution, the reduced level again</translation>
    </message>
    <message>
        <source>In &amp;voller Auflösung laden</source>
        <translation>Load at &amp;full resolution</translation>
    </message>
    <message>
        <source>Die Voxel des Quaders aus der Datei lesen, ungemittelt, und statt der verkleinerten Stufe zeigen</source>
        <translation>Read the box&apos;s voxels from the file, not averaged, and show them instead of the reduced level</translation>
    </message>
    <message>
        <source>%1 x %2 x %3 Voxel</source>
        <translation>%1 x %2 x %3 voxels</translation>
    </message>
    <message>
        <source>%1 passen nicht in den Grafikspeicher.</source>
        <translation>%1 do not fit in the graphics memory.</translation>
    </message>
    <message>
        <source>%1 passen nicht in den Speicher.</source>
        <translation>%1 do not fit in the memory.</translation>
    </message>
    <message>
        <source>Die Datei lässt sich nicht mehr lesen.</source>
        <translation>The file can no longer be read.</translation>
    </message>
</context>
<context>
    <name>FfmpegPipe</name>
    <message>
        <source>ffmpeg ist nicht installiert.</source>
        <translation>ffmpeg is not installed.</translation>
    </message>
    <message>
        <source>ffmpeg lässt sich nicht starten: %1.</source>
        <translation>ffmpeg does not start: %1.</translation>
    </message>
    <message>
        <source>ffmpeg kann den Film nicht schreiben: %1</source>
        <translation>ffmpeg cannot write the film: %1</translation>
    </message>
</context>
<context>
    <name>FilmDialog</name>
    <message>
        <source>Film speichern</source>
        <translation>Save film</translation>
    </message>
    <message>
        <source>%1x: %2 x %3 Pixel</source>
        <translation>%1x: %2 x %3 pixels</translation>
    </message>
    <message>
        <source>&amp;Wählen …</source>
        <translation>C&amp;hoose …</translation>
    </message>
    <message>
        <source>MP4-Filme (*.mp4)</source>
        <translation>MP4 films (*.mp4)</translation>
    </message>
    <message>
        <source>&amp;Bilder einer Drehung:</source>
        <translation>&amp;Frames of a turn:</translation>
    </message>
    <message>
        <source>&amp;Größe:</source>
        <translation>Si&amp;ze:</translation>
    </message>
    <message>
        <source>&amp;Datei:</source>
        <translation>F&amp;ile:</translation>
    </message>
    <message>
        <source>Als MP4-Film (H.264), %1 Bilder je Sekunde.</source>
        <translation>As an MP4 film (H.264), %1 frames a second.</translation>
    </message>
    <message>
        <source>ffmpeg ist nicht installiert: Die Bilder werden als nummerierte PNG-Dateien in einen neuen Ordner geschrieben, der wie die Datei ohne Endung heißt.</source>
        <translation>ffmpeg is not installed: the frames are written as numbered PNG files into a new folder named as the file without its extension.</translation>
    </message>
    <message>
        <source>&amp;Speichern</source>
        <translation>&amp;Save</translation>
    </message>
    <message>
        <source>&amp;Abbrechen</source>
        <translation>&amp;Cancel</translation>
    </message>
</context>
<context>
    <name>FilmSaver</name>
    <message>
        <source>Film wird gespeichert …</source>
        <translation>Saving the film …</translation>
    </message>
    <message>
        <source>Abbrechen</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>Film speichern fehlgeschlagen</source>
        <translation>Saving the film failed</translation>
    </message>
</context>
<context>
    <name>FilmWriter</name>
    <message>
        <source>Den Ordner %1 gibt es nicht.</source>
        <translation>The folder %1 does not exist.</translation>
    </message>
    <message>
        <source>Ein Film braucht mindestens 2 x 2 Pixel.</source>
        <translation>A film needs at least 2 x 2 pixels.</translation>
    </message>
    <message>
        <source>%1 gibt es schon.</source>
        <translation>%1 exists already.</translation>
    </message>
    <message>
        <source>Der Ordner %1 kann nicht angelegt werden: %2.</source>
        <translation>The folder %1 cannot be made: %2.</translation>
    </message>
    <message>
        <source>%1 kann nicht geschrieben werden.</source>
        <translation>%1 cannot be written.</translation>
    </message>
</context>
<context>
    <name>FourPanes</name>
    <message>
        <source>Abstand &amp;messen</source>
        <translation>&amp;Measure distance</translation>
    </message>
    <message>
        <source>&amp;Fenster der Schnitte</source>
        <translation>Slice &amp;window</translation>
    </message>
    <message>
        <source>V&amp;ier Ansichten</source>
        <translation>&amp;Four views</translation>
    </message>
    <message>
        <source>&amp;Perzentile (1. bis 99.)</source>
        <translation>&amp;Percentiles (1st to 99th)</translation>
    </message>
</context>
<context>
    <name>GLWidget</name>
    <message>
        <source>Die Grafikkarte kann nicht außerhalb des Fensters zeichnen (keine Framebuffer-Objekte).</source>
        <translation>The graphics card cannot draw outside the window (no framebuffer objects).</translation>
    </message>
    <message>
        <source>Ein Bild von %1 x %2 Pixeln kann die Grafikkarte nicht zeichnen (höchstens %3 x %3).</source>
        <translation>The graphics card cannot draw a picture of %1 x %2 pixels (at most %3 x %3).</translation>
    </message>
    <message>
        <source>Kein Speicher für ein Bild von %1 x %2 Pixeln.</source>
        <translation>No memory for a picture of %1 x %2 pixels.</translation>
    </message>
    <message>
        <source>Die Grafikkarte kann kein Bild von %1 x %2 Pixeln anlegen (%3).</source>
        <translation>The graphics card cannot make a picture of %1 x %2 pixels (%3).</translation>
    </message>
</context>
<context>
    <name>HelpMenu</name>
    <message>
        <source>&amp;Hilfe</source>
        <translation>&amp;Help</translation>
    </message>
    <message>
        <source>&amp;Tastenkürzel</source>
        <translation>&amp;Keyboard shortcuts</translation>
    </message>
    <message>
        <source>&amp;Handbuch</source>
        <translation>&amp;Manual</translation>
    </message>
    <message>
        <source>Ü&amp;ber Kastra</source>
        <translation>&amp;About Kastra</translation>
    </message>
    <message>
        <source>Über Kastra</source>
        <translation>About Kastra</translation>
    </message>
    <message>
        <source>Linke Taste ziehen (Ansicht)</source>
        <translation>Left drag (view)</translation>
    </message>
    <message>
        <source>Das Volumen drehen</source>
        <translation>Turn the volume</translation>
    </message>
    <message>
        <source>Mittlere Taste ziehen, Umschalt und linke Taste ziehen</source>
        <translation>Middle drag, Shift and left drag</translation>
    </message>
    <message>
        <source>Das Bild verschieben</source>
        <translation>Pan the picture</translation>
    </message>
    <message>
        <source>Mausrad (Ansicht)</source>
        <translation>Wheel (view)</translation>
    </message>
    <message>
        <source>Zur Stelle unter der Maus zoomen; über einer Schicht: blättern</source>
        <translation>Zoom towards the point under the mouse; over a slice: step through the slices</translation>
    </message>
    <message>
        <source>Strg und Mausrad (Schicht)</source>
        <translation>Ctrl and wheel (slice)</translation>
    </message>
    <message>
        <source>Zoomen</source>
        <translation>Zoom</translation>
    </message>
    <message>
        <source>Klick (Histogramm)</source>
        <translation>Click (histogram)</translation>
    </message>
    <message>
        <source>Einen Punkt setzen</source>
        <translation>Add a point</translation>
    </message>
    <message>
        <source>Punkt ziehen (Histogramm)</source>
        <translation>Drag a point (histogram)</translation>
    </message>
    <message>
        <source>Den Punkt verschieben</source>
        <translation>Move the point</translation>
    </message>
    <message>
        <source>Doppelklick auf einen Punkt</source>
        <translation>Double click on a point</translation>
    </message>
    <message>
        <source>Seine Farbe wählen</source>
        <translation>Choose its colour</translation>
    </message>
    <message>
        <source>Rechtsklick auf einen Punkt</source>
        <translation>Right click on a point</translation>
    </message>
    <message>
        <source>Den Punkt löschen</source>
        <translation>Remove the point</translation>
    </message>
    <message>
        <source>Klick oder Ziehen (Schnitt der vier Ansichten)</source>
        <translation>Click or drag (slice of the four views)</translation>
    </message>
    <message>
        <source>Den gemeinsamen Punkt setzen</source>
        <translation>Set the linked point</translation>
    </message>
    <message>
        <source>Rechte Taste ziehen (Schnitt)</source>
        <translation>Right drag (slice)</translation>
    </message>
    <message>
        <source>Das Fenster der Schnitte</source>
        <translation>The slices&apos; window</translation>
    </message>
    <message>
        <source>Pfeiltasten, Bild auf, Bild ab (Schnitt)</source>
        <translation>Arrow keys, Page Up, Page Down (slice)</translation>
    </message>
    <message>
        <source>Den Punkt um ein Voxel, die Schicht um eine bewegen</source>
        <translation>Move the point by a voxel, the slice by one</translation>
    </message>
    <message>
        <source>Entf, Esc (Schnitt)</source>
        <translation>Delete, Esc (slice)</translation>
    </message>
    <message>
        <source>Die Strecke unter der Maus löschen, eine begonnene verwerfen</source>
        <translation>Remove the line under the mouse, drop one begun</translation>
    </message>
    <message>
        <source>Doppelklick (vier Ansichten)</source>
        <translation>Double click (four views)</translation>
    </message>
    <message>
        <source>Eine Ansicht allein, wieder vier</source>
        <translation>One view alone, four again</translation>
    </message>
    <message>
        <source>Tastenkürzel</source>
        <translation>Keyboard shortcuts</translation>
    </message>
    <message>
        <source>Taste oder Maus</source>
        <translation>Key or mouse</translation>
    </message>
    <message>
        <source>Befehl</source>
        <translation>Command</translation>
    </message>
    <message>
        <source>Handbuch</source>
        <translation>Manual</translation>
    </message>
    <message>
        <source>Das Handbuch (README.md) ist nicht installiert.</source>
        <translation>The manual (README.md) is not installed.</translation>
    </message>
    <message>
        <source>Kein Programm öffnet %1.</source>
        <translation>No program opens %1.</translation>
    </message>
    <message>
        <source>kastra-convert antwortet nicht: seine Bibliotheken sind unbekannt.</source>
        <translation>kastra-convert does not answer: its libraries are unknown.</translation>
    </message>
    <message>
        <source>&lt;h3&gt;Kastra %1&lt;/h3&gt;&lt;p&gt;Volumen wie CT- und MRT-Scans betrachten: Schichten, Raycasting, Transferfunktionen.&lt;/p&gt;&lt;p&gt;Kastra steht unter der Apache-Lizenz, Version 2.0.&lt;/p&gt;&lt;p&gt;Qt %2 (GNU LGPL, Version 3)&lt;/p&gt;&lt;p&gt;kastra-convert liest die Scans mit:&lt;br&gt;%3&lt;/p&gt;</source>
        <translation>&lt;h3&gt;Kastra %1&lt;/h3&gt;&lt;p&gt;Viewing volumes such as CT and MRI scans: slices, ray casting, transfer functions.&lt;/p&gt;&lt;p&gt;Kastra is licensed under the Apache License, Version 2.0.&lt;/p&gt;&lt;p&gt;Qt %2 (GNU LGPL, version 3)&lt;/p&gt;&lt;p&gt;kastra-convert reads scans with:&lt;br&gt;%3&lt;/p&gt;</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>Kastra</source>
        <translation>Kastra</translation>
    </message>
    <message>
        <source>Volume</source>
        <translation>Volume</translation>
    </message>
    <message>
        <source>Datei Laden</source>
        <translation>Load File</translation>
    </message>
    <message>
        <source>min. density</source>
        <translation>min. density</translation>
    </message>
    <message>
        <source>max. density</source>
        <translation>max. density</translation>
    </message>
    <message>
        <source>Slicing active</source>
        <translation>Slicing active</translation>
    </message>
    <message>
        <source>x - axis</source>
        <translation>x - axis</translation>
    </message>
    <message>
        <source>y - axis</source>
        <translation>y - axis</translation>
    </message>
    <message>
        <source>z - axis</source>
        <translation>z - axis</translation>
    </message>
    <message>
        <source>Slices</source>
        <translation>Slices</translation>
    </message>
    <message>
        <source>Mode</source>
        <translation>Mode</translation>
    </message>
    <message>
        <source>Composite</source>
        <translation>Composite</translation>
    </message>
    <message>
        <source>Average</source>
        <translation>Average</translation>
    </message>
    <message>
        <source>Maximum intensity projection</source>
        <translation>Maximum intensity projection</translation>
    </message>
    <message>
        <source>&amp;Datei</source>
        <translation>&amp;File</translation>
    </message>
    <message>
        <source>&amp;Beenden</source>
        <translation>&amp;Quit</translation>
    </message>
    <message>
        <source>Die Volumen des Ordners dat/ und die geöffneten Scans</source>
        <translation>The volumes of the folder dat/ and the scans opened</translation>
    </message>
    <message>
        <source>Das gewählte Volumen laden</source>
        <translation>Load the chosen volume</translation>
    </message>
    <message>
        <source>Die Volumen des Ordners dat/ und die geöffneten Scans: eines wählen und laden</source>
        <translation>The volumes of the folder dat/ and the scans opened: choose one and load it</translation>
    </message>
    <message>
        <source>Linke Taste ziehen: drehen. Mausrad: zoomen (in einer Schicht: blättern, mit Strg zoomen). Mittlere Taste oder Umschalt und links ziehen: verschieben</source>
        <translation>Left drag: turn. Wheel: zoom (in a slice: step through the slices, with Ctrl zoom). Middle drag or Shift and left drag: pan</translation>
    </message>
    <message>
        <source>Klick: Punkt setzen. Punkt ziehen: verschieben. Doppelklick auf einen Punkt: Farbe wählen. Rechtsklick auf einen Punkt: löschen</source>
        <translation>Click: add a point. Drag a point: move it. Double click on a point: choose its colour. Right click on a point: remove it</translation>
    </message>
    <message>
        <source>Die untere Grenze des Dichtefensters, der linke Rand des Histogramms</source>
        <translation>The lower end of the density window, the histogram&apos;s left edge</translation>
    </message>
    <message>
        <source>Die obere Grenze des Dichtefensters, der rechte Rand des Histogramms</source>
        <translation>The upper end of the density window, the histogram&apos;s right edge</translation>
    </message>
    <message>
        <source>Eine Schicht des Volumens zeigen statt des ganzen Volumens</source>
        <translation>Show one slice of the volume instead of the whole volume</translation>
    </message>
    <message>
        <source>Schichten, die durch die Tiefe des Volumens wandern</source>
        <translation>Slices that move through the volume&apos;s depth</translation>
    </message>
    <message>
        <source>Schichten, die durch die Höhe des Volumens wandern</source>
        <translation>Slices that move through the volume&apos;s height</translation>
    </message>
    <message>
        <source>Schichten, die durch die Breite des Volumens wandern</source>
        <translation>Slices that move through the volume&apos;s width</translation>
    </message>
    <message>
        <source>Die gezeigte Schicht (das Mausrad in der Ansicht blättert auch)</source>
        <translation>The slice shown (the wheel over the view steps too)</translation>
    </message>
    <message>
        <source>Wie ein Sehstrahl die Dichten des Volumens zu einem Pixel fasst</source>
        <translation>How a ray gathers the volume&apos;s densities into a pixel</translation>
    </message>
    <message>
        <source>Farben und Opazitäten entlang des Strahls beleuchtet übereinanderlegen</source>
        <translation>Lit colours and opacities along the ray, laid over each other</translation>
    </message>
    <message>
        <source>Der Mittelwert entlang des Strahls</source>
        <translation>The mean along the ray</translation>
    </message>
    <message>
        <source>Die dichteste Stelle entlang des Strahls</source>
        <translation>The densest point along the ray</translation>
    </message>
    <message>
        <source>als CT</source>
        <translation>as CT</translation>
    </message>
    <message>
        <source>nicht als CT</source>
        <translation>not as CT</translation>
    </message>
    <message>
        <source>&amp;Ansicht</source>
        <translation>&amp;View</translation>
    </message>
    <message>
        <source>&amp;Transferfunktion</source>
        <translation>&amp;Transfer function</translation>
    </message>
    <message>
        <source>Volumen laden</source>
        <translation>Load volume</translation>
    </message>
    <message>
        <source>Volumen öffnen</source>
        <translation>Open volume</translation>
    </message>
    <message>
        <source>Transferfunktion</source>
        <translation>Transfer function</translation>
    </message>
    <message>
        <source>Ö&amp;ffnen …</source>
        <translation>&amp;Open …</translation>
    </message>
    <message>
        <source>&amp;Zuletzt geöffnet</source>
        <translation>&amp;Recent files</translation>
    </message>
    <message>
        <source>Zwischenspeicher &amp;leeren</source>
        <translation>Clear the cac&amp;he</translation>
    </message>
    <message>
        <source>Zwischenspeicher geleert: %1 Volumen</source>
        <translation>Cache cleared: %1 volumes</translation>
    </message>
    <message>
        <source>Werte als &amp;CT (HU) lesen</source>
        <translation>Read values as &amp;CT (HU)</translation>
    </message>
    <message>
        <source>Bild &amp;speichern …</source>
        <translation>&amp;Save picture …</translation>
    </message>
    <message>
        <source>Bild gespeichert: %1</source>
        <translation>Picture saved: %1</translation>
    </message>
    <message>
        <source>Fil&amp;m speichern …</source>
        <translation>Save &amp;film …</translation>
    </message>
    <message>
        <source>Film gespeichert: %1</source>
        <translation>Film saved: %1</translation>
    </message>
    <message>
        <source>Feinere Auflösung: %1 % gelesen</source>
        <translation>Finer resolution: %1 % read</translation>
    </message>
</context>
<context>
    <name>OpenFileDialog</name>
    <message>
        <source>Öffnen</source>
        <translation>Open</translation>
    </message>
    <message>
        <source>Alle Dateien (*)</source>
        <translation>All files (*)</translation>
    </message>
    <message>
        <source>Volumen und Scans (*.dat *.nii *.nii.gz *.nrrd *.nhdr *.mha *.mhd *.dcm)</source>
        <translation>Volumes and scans (*.dat *.nii *.nii.gz *.nrrd *.nhdr *.mha *.mhd *.dcm)</translation>
    </message>
</context>
<context>
    <name>PaneLink</name>
    <message>
        <source> Voxel</source>
        <translation> voxels</translation>
    </message>
</context>
<context>
    <name>PictureSaver</name>
    <message>
        <source>%1 kann nicht geschrieben werden: %2.</source>
        <translation>%1 cannot be written: %2.</translation>
    </message>
    <message>
        <source>Bild speichern</source>
        <translation>Save picture</translation>
    </message>
    <message>
        <source>PNG-Bilder (*.png)</source>
        <translation>PNG pictures (*.png)</translation>
    </message>
    <message>
        <source>%1x: %2 x %3 Pixel</source>
        <translation>%1x: %2 x %3 pixels</translation>
    </message>
    <message>
        <source>Größe</source>
        <translation>Size</translation>
    </message>
    <message>
        <source>Größe des Bildes:</source>
        <translation>Size of the picture:</translation>
    </message>
    <message>
        <source>Bild speichern fehlgeschlagen</source>
        <translation>Saving the picture failed</translation>
    </message>
</context>
<context>
    <name>ScanChooser</name>
    <message>
        <source>Werte als &amp;CT (HU) lesen</source>
        <translation>Read values as &amp;CT (HU)</translation>
    </message>
    <message>
        <source>Ö&amp;ffnen</source>
        <translation>&amp;Open</translation>
    </message>
    <message>
        <source>&amp;Abbrechen</source>
        <translation>&amp;Cancel</translation>
    </message>
    <message>
        <source>kastra-convert liest %1</source>
        <translation>kastra-convert&apos;s reading: %1</translation>
    </message>
</context>
<context>
    <name>ScanKind</name>
    <message>
        <source>Kein CT</source>
        <translation>No CT</translation>
    </message>
</context>
<context>
    <name>ScanOpener</name>
    <message>
        <source>Werte messen</source>
        <translation>measuring values</translation>
    </message>
    <message>
        <source>Lesen</source>
        <translation>reading</translation>
    </message>
    <message>
        <source>Verkleinern</source>
        <translation>shrinking</translation>
    </message>
    <message>
        <source>Neu abtasten</source>
        <translation>resampling</translation>
    </message>
    <message>
        <source>Werte abbilden</source>
        <translation>mapping values</translation>
    </message>
    <message>
        <source>%1 wird gelesen …</source>
        <translation>Reading %1 …</translation>
    </message>
    <message>
        <source>kastra-convert beschreibt %1 nicht lesbar.</source>
        <translation>kastra-convert describes %1 unreadably.</translation>
    </message>
    <message>
        <source>%1  „%2“  %3, %4 Dateien</source>
        <translation>%1  “%2”  %3, %4 files</translation>
    </message>
    <message>
        <source>Serie wählen</source>
        <translation>Choose a series</translation>
    </message>
    <message>
        <source>%1 enthält mehrere Serien:</source>
        <translation>%1 holds several series:</translation>
    </message>
    <message>
        <source>Serie %1</source>
        <translation>series %1</translation>
    </message>
    <message>
        <source>Alle Volumen (Zeitachse)</source>
        <translation>All volumes (time axis)</translation>
    </message>
    <message>
        <source>Volumen %1: %2</source>
        <translation>Volume %1: %2</translation>
    </message>
    <message>
        <source>Volumen wählen</source>
        <translation>Choose a volume</translation>
    </message>
    <message>
        <source>%1 enthält %2 Volumen:</source>
        <translation>%1 holds %2 volumes:</translation>
    </message>
    <message>
        <source>%1 enthält %2 Volumen, unterschieden nach %3:</source>
        <translation>%1 holds %2 volumes, told apart by %3:</translation>
    </message>
    <message>
        <source>alle Volumen</source>
        <translation>all volumes</translation>
    </message>
    <message>
        <source>Volumen %1</source>
        <translation>volume %1</translation>
    </message>
    <message>
        <source>%1 wird konvertiert …</source>
        <translation>Converting %1 …</translation>
    </message>
    <message>
        <source>Abbrechen</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>%1 wird konvertiert: %2</source>
        <translation>Converting %1: %2</translation>
    </message>
    <message>
        <source>kastra-convert kann nicht gestartet werden (%1): installieren Sie es neben Kastra, oder nennen Sie es in KASTRA_CONVERT.</source>
        <translation>kastra-convert cannot be started (%1): install it beside Kastra, or name it in KASTRA_CONVERT.</translation>
    </message>
    <message>
        <source>kastra-convert gab %1 s lang kein Zeichen und wurde beendet; %2 bleibt ungeöffnet.</source>
        <translation>kastra-convert gave no sign for %1 s and was ended; %2 stays unopened.</translation>
    </message>
    <message>
        <source>kastra-convert brach bei %1 unerwartet ab.</source>
        <translation>kastra-convert broke off unexpectedly on %1.</translation>
    </message>
    <message>
        <source>kastra-convert lehnte %1 ab.</source>
        <translation>kastra-convert refused %1.</translation>
    </message>
    <message>
        <source>%1 kann nicht geöffnet werden.</source>
        <translation>%1 cannot be opened.</translation>
    </message>
</context>
<context>
    <name>SlicePane</name>
    <message>
        <source>Axial</source>
        <translation>Axial</translation>
    </message>
    <message>
        <source>Koronal</source>
        <translation>Coronal</translation>
    </message>
    <message>
        <source>Sagittal</source>
        <translation>Sagittal</translation>
    </message>
</context>
<context>
    <name>SliceWindow</name>
    <message>
        <source>Fenster %1, Zentrum %2</source>
        <translation>Window %1, level %2</translation>
    </message>
    <message>
        <source>&amp;Weichteile</source>
        <translation>&amp;Soft tissue</translation>
    </message>
    <message>
        <source>&amp;Lunge</source>
        <translation>&amp;Lung</translation>
    </message>
    <message>
        <source>&amp;Knochen</source>
        <translation>&amp;Bone</translation>
    </message>
    <message>
        <source>&amp;Gehirn</source>
        <translation>B&amp;rain</translation>
    </message>
</context>
<context>
    <name>TimeAxis</name>
    <message>
        <source>Abspielen</source>
        <translation>Play</translation>
    </message>
    <message>
        <source>Die Volumen der Reihe nach zeigen, am Ende wieder von vorn</source>
        <translation>Show the volumes in turn, from the first again at the end</translation>
    </message>
    <message>
        <source>Volumen der Zeitreihe: Transferfunktion, Kamera und Schnitt bleiben</source>
        <translation>Volume of the time series: transfer function, camera and cut stay</translation>
    </message>
    <message>
        <source>Gezeigtes Volumen / Anzahl der Volumen</source>
        <translation>Volume shown / number of volumes</translation>
    </message>
</context>
<context>
    <name>TransferFunctionFile</name>
    <message>
        <source>unbekannter Schlüssel %1</source>
        <translation>unknown key %1</translation>
    </message>
    <message>
        <source>&quot;%1&quot; fehlt</source>
        <translation>&quot;%1&quot; is missing</translation>
    </message>
    <message>
        <source>Punkt %1: </source>
        <translation>point %1: </translation>
    </message>
    <message>
        <source>%1 ist kein Objekt</source>
        <translation>%1 is not an object</translation>
    </message>
    <message>
        <source>Dichte %1 ist keine ganze Zahl</source>
        <translation>density %1 is not an integer</translation>
    </message>
    <message>
        <source>Dichte %1 liegt außerhalb des Fensters %2..%3</source>
        <translation>density %1 is outside the window %2..%3</translation>
    </message>
    <message>
        <source>Opazität %1 ist keine Zahl</source>
        <translation>opacity %1 is not a number</translation>
    </message>
    <message>
        <source>Opazität %1 liegt außerhalb von 0..1</source>
        <translation>opacity %1 is outside 0..1</translation>
    </message>
    <message>
        <source>Farbe %1 ist nicht drei ganze Zahlen 0..255</source>
        <translation>color %1 is not three integers 0..255</translation>
    </message>
    <message>
        <source>die Datei ist größer als %1 KiB</source>
        <translation>the file is larger than %1 KiB</translation>
    </message>
    <message>
        <source>kein JSON: Steuerzeichen 0x%1 bei Byte %2</source>
        <translation>not JSON: control character 0x%1 at byte %2</translation>
    </message>
    <message>
        <source>Schlüssel %1 steht zweimal in einem Objekt</source>
        <translation>key %1 is repeated in one object</translation>
    </message>
    <message>
        <source>kein JSON: %1 bei Byte %2</source>
        <translation>not JSON: %1 at byte %2</translation>
    </message>
    <message>
        <source>keine Transferfunktion von Kastra</source>
        <translation>not a Kastra transfer function</translation>
    </message>
    <message>
        <source>Version %1 ist neuer, als dieses Programm liest</source>
        <translation>version %1 is newer than this program reads</translation>
    </message>
    <message>
        <source>Version %1 ist keine Version dieses Formats</source>
        <translation>version %1 is not a version of this format</translation>
    </message>
    <message>
        <source>Dichtefenster %1 ist nicht zwei ganze Zahlen</source>
        <translation>density window %1 is not two integers</translation>
    </message>
    <message>
        <source>Dichtefenster %1..%2 ist nicht untere &lt; obere in 0..%3</source>
        <translation>density window %1..%2 is not lower &lt; upper within 0..%3</translation>
    </message>
    <message>
        <source>points %1 ist keine Liste</source>
        <translation>points %1 is not an array</translation>
    </message>
    <message>
        <source>es sind %1 Punkte, nicht 1..%2</source>
        <translation>there are %1 points, not 1..%2</translation>
    </message>
    <message>
        <source>die Datei kann nicht geschrieben werden: %1</source>
        <translation>cannot write the file: %1</translation>
    </message>
    <message>
        <source>die Datei kann nicht gelesen werden: %1</source>
        <translation>cannot read the file: %1</translation>
    </message>
</context>
<context>
    <name>TransferHistory</name>
    <message>
        <source>Dichtefenster</source>
        <translation>Density window</translation>
    </message>
    <message>
        <source>&amp;Rückgängig</source>
        <translation>&amp;Undo</translation>
    </message>
    <message>
        <source>&amp;Wiederholen</source>
        <translation>&amp;Redo</translation>
    </message>
    <message>
        <source>Punkt setzen</source>
        <translation>Add point</translation>
    </message>
    <message>
        <source>Punkt verschieben</source>
        <translation>Move point</translation>
    </message>
    <message>
        <source>Punkt umfärben</source>
        <translation>Recolour point</translation>
    </message>
    <message>
        <source>Punkt löschen</source>
        <translation>Remove point</translation>
    </message>
</context>
<context>
    <name>TransferMenu</name>
    <message>
        <source>Ö&amp;ffnen …</source>
        <translation>&amp;Open …</translation>
    </message>
    <message>
        <source>&amp;Zuletzt verwendet</source>
        <translation>Recen&amp;tly used</translation>
    </message>
    <message>
        <source>&amp;Speichern …</source>
        <translation>&amp;Save …</translation>
    </message>
    <message>
        <source>Für &amp;ParaView exportieren …</source>
        <translation>&amp;Export for ParaView …</translation>
    </message>
    <message>
        <source>%1 kann nicht geöffnet werden.</source>
        <translation>%1 cannot be opened.</translation>
    </message>
    <message>
        <source>Transferfunktion öffnen</source>
        <translation>Open transfer function</translation>
    </message>
    <message>
        <source>Transferfunktion speichern</source>
        <translation>Save transfer function</translation>
    </message>
    <message>
        <source>%1 kann nicht gespeichert werden.</source>
        <translation>%1 cannot be saved.</translation>
    </message>
    <message>
        <source>Für ParaView exportieren</source>
        <translation>Export for ParaView</translation>
    </message>
    <message>
        <source>ParaView-Presets (*.json)</source>
        <translation>ParaView presets (*.json)</translation>
    </message>
    <message>
        <source>%1 kann nicht exportiert werden.</source>
        <translation>%1 cannot be exported.</translation>
    </message>
    <message>
        <source>Transferfunktionen (*.json)</source>
        <translation>Transfer functions (*.json)</translation>
    </message>
</context>
<context>
    <name>TransferPreset</name>
    <message>
        <source>CT: &amp;Knochen</source>
        <translation>CT: &amp;Bone</translation>
    </message>
    <message>
        <source>CT: &amp;Haut und Knochen</source>
        <translation>CT: S&amp;kin and bone</translation>
    </message>
    <message>
        <source>CT: W&amp;eichteile und Gefäße (Kontrast)</source>
        <translation>CT: Soft tissue and &amp;vessels (contrast)</translation>
    </message>
    <message>
        <source>CT: &amp;Lunge und Atemwege</source>
        <translation>CT: &amp;Lungs and airways</translation>
    </message>
    <message>
        <source>MR: &amp;Gehirn</source>
        <translation>MR: Br&amp;ain</translation>
    </message>
    <message>
        <source>Gr&amp;aurampe (1. bis 99,5. Perzentil)</source>
        <translation>&amp;Grey ramp (1st to 99.5th percentile)</translation>
    </message>
    <message>
        <source>&amp;Objekt vor durchsichtigem Hintergrund</source>
        <translation>Object on a &amp;clear background</translation>
    </message>
</context>
<context>
    <name>ViewMenu</name>
    <message>
        <source>&amp;Schnitte im Dichtefenster</source>
        <translation>&amp;Slices in the density window</translation>
    </message>
    <message>
        <source>Histogramm &amp;logarithmisch</source>
        <translation>Lo&amp;garithmic histogram</translation>
    </message>
    <message>
        <source>Bild &amp;verfeinern</source>
        <translation>&amp;Refine the picture</translation>
    </message>
    <message>
        <source>Ansicht &amp;zurücksetzen</source>
        <translation>Reset &amp;view</translation>
    </message>
    <message>
        <source>Standard&amp;ansichten</source>
        <translation>S&amp;tandard views</translation>
    </message>
    <message>
        <source>Von &amp;vorn</source>
        <translation>&amp;Front</translation>
    </message>
    <message>
        <source>Von &amp;hinten</source>
        <translation>&amp;Back</translation>
    </message>
    <message>
        <source>Von &amp;links</source>
        <translation>&amp;Left</translation>
    </message>
    <message>
        <source>Von &amp;rechts</source>
        <translation>&amp;Right</translation>
    </message>
    <message>
        <source>Von &amp;oben</source>
        <translation>&amp;Top</translation>
    </message>
    <message>
        <source>Von &amp;unten</source>
        <translation>B&amp;ottom</translation>
    </message>
    <message>
        <source>Zuschnei&amp;den …</source>
        <translation>Cr&amp;op …</translation>
    </message>
    <message>
        <source>S&amp;chnitt durch das Volumen</source>
        <translation>&amp;Cut through the volume</translation>
    </message>
    <message>
        <source>Ac&amp;hsen …</source>
        <translation>A&amp;xes …</translation>
    </message>
    <message>
        <source>Von +&amp;x</source>
        <translation>From +&amp;x</translation>
    </message>
    <message>
        <source>&amp;Von -x</source>
        <translation>&amp;From -x</translation>
    </message>
    <message>
        <source>Von +&amp;y</source>
        <translation>From +&amp;y</translation>
    </message>
    <message>
        <source>V&amp;on -y</source>
        <translation>F&amp;rom -y</translation>
    </message>
    <message>
        <source>Von +&amp;z</source>
        <translation>From +&amp;z</translation>
    </message>
    <message>
        <source>Vo&amp;n -z</source>
        <translation>Fr&amp;om -z</translation>
    </message>
</context>
<context>
    <name>ViewReadout</name>
    <message>
        <source>axial</source>
        <translation>axial</translation>
    </message>
    <message>
        <source>koronal</source>
        <translation>coronal</translation>
    </message>
    <message>
        <source>sagittal</source>
        <translation>sagittal</translation>
    </message>
    <message>
        <source>Schicht %1 von %2, %3</source>
        <translation>Slice %1 of %2, %3</translation>
    </message>
    <message>
        <source>Schicht %1 von %2</source>
        <translation>Slice %1 of %2</translation>
    </message>
    <message>
        <source>x %1, y %2, z %3: Dichte %4</source>
        <translation>x %1, y %2, z %3: density %4</translation>
    </message>
    <message>
        <source>Auflösung 1/%1: %2 von %3</source>
        <translation>Resolution 1/%1: %2 of %3</translation>
    </message>
    <message>
        <source>Ausschnitt in voller Auflösung: %1 ab x %2, y %3, z %4 von %5</source>
        <translation>Region at full resolution: %1 from x %2, y %3, z %4 of %5</translation>
    </message>
</context>
<context>
    <name>WindowLanguage</name>
    <message>
        <source>Die Sprache gilt ab dem nächsten Start von Kastra.</source>
        <translation>The language applies from Kastra&apos;s next start.</translation>
    </message>
    <message>
        <source>Sp&amp;rache</source>
        <translation>&amp;Language</translation>
    </message>
</context>
</TS>

#pragma once

#include <QString>

class QMatrix4x4;

// The patient's sides at the edges of the view, for a volume whose axes run
// towards the patient's right, anterior and superior (R, A, S; L, P, I the
// other way): at each edge the side its direction points to most, and a
// second where the view is turned half-way between two (beyond 22.5
// degrees), as "RA".
struct EdgeLetters
{
    QString right, left, top, bottom;
};

// `turn` maps volume axes onto the view's (x right, y up).
EdgeLetters edgeLetters(const QMatrix4x4& turn);
// The same for a volume in no patient frame, naming its own axes: "+x",
// "-z", "+x-y" half-way.
EdgeLetters edgeAxes(const QMatrix4x4& turn);

class QFont;
class QImage;

// `text` as the marker shows it: yellow on a dark outline, with a margin,
// premultiplied RGBA bytes, its first row the text's top.
QImage markerImage(const QString& text, const QFont& font);

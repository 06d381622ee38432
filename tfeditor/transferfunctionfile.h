#pragma once

#include "tfeditor/transferfunction.h"

#include <QByteArray>
#include <QString>

// Transfer-function files, version 1 (docs/transfer-functions.md): a JSON
// object with the version, the density window and 1..256 points.

// The largest file the reader takes; a bigger one is refused unread.
constexpr int kTransferFileLimit = 64 * 1024;
constexpr int kMaxTransferPoints = 256;

// Reads a file's bytes into `function`, its points sorted by density
// (stably). A file that breaks any rule of the format is refused with one
// line naming the first fault, and `function` is left as it was.
bool parseTransferFunction(const QByteArray& bytes, TransferFunction& function, QString& fault);
bool readTransferFunction(const QString& path, TransferFunction& function, QString& fault);

// The first rule of the format `function` breaks, in the reader's words
// ("point 3: opacity 1.5 is outside 0..1"); empty when it keeps them all.
QString transferFunctionFault(const TransferFunction& function);

// The file's bytes for `function`, one point a line. The writers refuse a
// function with a fault, so that every file written reads back; they write
// through a temporary file renamed at the end, so that a failure leaves an
// existing file as it was.
QByteArray transferFunctionBytes(const TransferFunction& function);
bool writeTransferFunction(const QString& path, const TransferFunction& function, QString& fault);

// ParaView's colour-map preset of `function` under `name`: the table's
// colour and opacity ramps, its transparent black and white end points at
// the window's ends included, over data values in densities.
bool writeParaViewPreset(const QString& path, const TransferFunction& function, const QString& name,
                         QString& fault);

#pragma once

#include <QJsonObject>
#include <QString>

// A message of kastra-convert in the window's language. `message` is what the
// converter's code lines carry: {"code": ..., "arguments": [...], "text":
// ...}, an argument a text or a message of its own. Each code's German goes
// through Qt's translation system (context "ConverterMessage"), its arguments
// filled in; a code the window has no words for (a newer converter's) keeps
// the converter's English text.
QString converterMessageText(const QJsonObject& message);

// Whether the window has its own words for `code`.
bool knowsConverterMessage(const QString& code);

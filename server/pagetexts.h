#pragma once

// The texts of the web page, in the language a request asks for. The page
// is written in English; its texts are the catalogue's "WebPage" entries,
// looked up by their English text, which is also the key the page finds
// each by.

#include <QByteArray>
#include <QJsonObject>
#include <QStringList>

class QTranslator;

// Every text of the page, in English.
QStringList PageTextSources();
// English text to its translation in `catalogue` (the English text where it
// has none, or without a catalogue).
QJsonObject PageTexts(const QTranslator* catalogue);
// The language tags of an Accept-Language header, the most wanted first
// (equal weights in the order given); "*" and those refused with q=0 are
// left out.
QStringList AcceptedLanguages(const QByteArray& header);

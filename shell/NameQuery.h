#pragma once

#include <QString>

class QWidget;

namespace vantle {

// Asks for one line of text in an input query with `caption` and `prompt`, starting empty;
// the query is wide enough for its whole caption in a title bar. False on Cancel.
bool AskName(QWidget* parent, const QString& caption, const QString& prompt, QString& text);

}  // namespace vantle

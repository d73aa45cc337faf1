#pragma once

#include <QColor>
#include <QIcon>

#include "FeedNotes.h"

class QPainter;
class QRect;

namespace vantle {

// The colours of the marks, so that tests can find them.
extern const QColor NewItemsColour;
extern const QColor WarningColour;

// Draws `mark` centred in `cell` (the feed list's 10-pixel margin column); None draws nothing,
// so the cell keeps the background it has.
void PaintFeedMark(QPainter& painter, const QRect& cell, TFeedMark mark);

// The feed list's dot as an icon, for the group list.
QIcon NewItemsIcon();

}  // namespace vantle

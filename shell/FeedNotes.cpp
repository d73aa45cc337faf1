#include "FeedNotes.h"

#include <QDateTime>
#include <QLocale>

#include <string>

namespace vantle {

namespace {

const char* const GoneReason = "the server says this feed was removed (410)";
const char* const RetryAfter = "retry-after";

QString Q(const std::string& text) {
  return QString::fromStdString(text);
}

QString When(TUnixTime time, const QTimeZone& zone) {
  return QLocale::c().toString(QDateTime::fromSecsSinceEpoch(time, zone),
                               QStringLiteral("d MMM HH:mm"));
}

// The moment before which the feed is not asked, and why; none when nothing holds it back.
std::optional<std::pair<TUnixTime, std::string>> HeldBack(const TFeedFacts& facts, TUnixTime now) {
  if (facts.Deferral && facts.Deferral->Until > now)
    return std::make_pair(facts.Deferral->Until, facts.Deferral->Reason);
  if (facts.Record && facts.Record->NotBefore > now && facts.Record->NotBeforeReason == RetryAfter)
    return std::make_pair(facts.Record->NotBefore, facts.Record->NotBeforeReason);
  return std::nullopt;
}

bool InTrouble(const TFeedFacts& facts, TUnixTime now) {
  if (HeldBack(facts, now)) return true;
  if (!facts.Record) return false;
  const TFeedRecord& record = *facts.Record;
  switch (record.Standing) {
    case TFeedStanding::Fine:
      return false;
    case TFeedStanding::Moved:
      return record.MovedTo != record.Link;
    case TFeedStanding::Failing:
    case TFeedStanding::Gone:
      return true;
  }
  return false;
}

QString StandingNote(const TFeedRecord& record, const QTimeZone& zone) {
  switch (record.Standing) {
    case TFeedStanding::Failing:
      return QStringLiteral("Not reachable since %1: %2")
          .arg(When(record.StandingSince, zone), Q(record.Reason));
    case TFeedStanding::Gone:
      // One text whatever the fetch kept as the reason: a gone feed always went by a 410.
      return QStringLiteral("Gone: %1").arg(GoneReason);
    case TFeedStanding::Moved:
      return record.MovedTo == record.Link ? QString()
                                           : QStringLiteral("Moved to %1").arg(Q(record.MovedTo));
    case TFeedStanding::Fine:
      break;
  }
  return {};
}

QString NewItemsNote(int count) {
  return count == 1 ? QStringLiteral("1 new item") : QStringLiteral("%1 new items").arg(count);
}

}  // namespace

TFeedMark FeedMark(const TFeedFacts& facts, TUnixTime now) {
  if (InTrouble(facts, now)) return TFeedMark::Warning;
  return facts.NewItems > 0 ? TFeedMark::NewItems : TFeedMark::None;
}

QStringList FeedNotes(const TFeedFacts& facts, TUnixTime now, const QTimeZone& zone) {
  QStringList notes;
  if (facts.Record) {
    if (QString standing = StandingNote(*facts.Record, zone); !standing.isEmpty())
      notes << standing;
  }
  if (auto held = HeldBack(facts, now))
    notes << QStringLiteral("Asked to wait until %1: %2")
                 .arg(When(held->first, zone), Q(held->second));
  if (facts.NewItems > 0) {
    notes << NewItemsNote(facts.NewItems);
    if (facts.Shown) notes << QStringLiteral("Press F5 to read the new items");
  }
  return notes;
}

}  // namespace vantle

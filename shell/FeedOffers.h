#pragma once

#include <QString>
#include <QWidget>

#include <array>
#include <exception>
#include <string>
#include <vector>

#include "FeedDiscovery.h"

class QLabel;
class QPushButton;

namespace vantle {

// The feeds a web page names, offered in the feed dialog below its message as up to three
// flat buttons; the window grows by the offers' height while they show.
class TFeedOffers : public QWidget {
  Q_OBJECT

 public:
  // The most feeds offered at once.
  static constexpr int MaxOffers = 3;

  // Hidden until feeds are offered.
  explicit TFeedOffers(QWidget* parent);

  // Shows the first MaxOffers of `feeds`, each by its title, else its link, and grows the
  // window to make room; no feeds change nothing.
  void Offer(const std::vector<TDiscoveredFeed>& feeds);
  // Hides the offers and shrinks the window back to its height before them.
  void Clear();
  // The offer buttons in page order; those beyond the feeds offered are hidden.
  const std::array<QPushButton*, MaxOffers>& Buttons() const { return FButtons; }

 signals:
  // The user chose the offered feed at `link`.
  void Chosen(const QString& link);

 private:
  void ResizeWindowBy(int pixels);

  QLabel* FCaption;
  std::array<QPushButton*, MaxOffers> FButtons{};
  std::array<QString, MaxOffers> FLinks;
  int FGrowth = 0;
};

// The feeds to offer after a link test that raised `error`: those of the page when the
// link gave a document that is not a feed, read again with the test's fetch options; none
// when it gave a feed, could not be fetched, or the page cannot be read a second time.
std::vector<TDiscoveredFeed> FeedsToOffer(TSimpleRSS& reader, const std::exception& error,
                                          const std::string& link,
                                          const TProgressCallback& progress);

}  // namespace vantle

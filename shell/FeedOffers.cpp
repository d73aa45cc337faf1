#include "FeedOffers.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

#include "UVantleFormUtils.h"

namespace vantle {

namespace {

constexpr int RowHeight = 22;
constexpr int BottomMargin = 4;
constexpr int Indent = 10;
constexpr int TextWidth = 480;

}  // namespace

TFeedOffers::TFeedOffers(QWidget* parent) : QWidget(parent) {
  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(Indent, 0, Indent, BottomMargin);
  column->setSpacing(0);
  FCaption = new QLabel(tr("This page offers these feeds:"), this);
  FCaption->setFixedHeight(RowHeight);
  column->addWidget(FCaption);
  for (size_t i = 0; i < FButtons.size(); ++i) {
    auto* button = new QPushButton(this);
    button->setFlat(true);
    // Read as links under the caption, not as the dialog's own buttons.
    button->setStyleSheet(
        QStringLiteral("QPushButton { border: none; text-align: left; "
                       "padding: 0 4px 0 20px; color: palette(link); "
                       "text-decoration: underline; }"));
    button->setAutoDefault(false);
    button->setCursor(Qt::PointingHandCursor);
    button->setFixedHeight(RowHeight);
    button->hide();
    column->addWidget(button, 0, Qt::AlignLeft);
    connect(button, &QPushButton::clicked, this, [this, i] { emit Chosen(FLinks[i]); });
    FButtons[i] = button;
  }
  hide();
}

void TFeedOffers::Offer(const std::vector<TDiscoveredFeed>& feeds) {
  Clear();
  const size_t count = std::min(feeds.size(), FButtons.size());
  if (count == 0) return;
  for (size_t i = 0; i < count; ++i) {
    FLinks[i] = QString::fromStdString(feeds[i].Link);
    const QString title = QString::fromStdString(feeds[i].Title);
    QPushButton& button = *FButtons[i];
    button.setText(button.fontMetrics().elidedText(title.isEmpty() ? FLinks[i] : title,
                                                   Qt::ElideMiddle, TextWidth));
    button.setToolTip(FLinks[i]);
    button.show();
  }
  const int growth = RowHeight * static_cast<int>(count + 1) + BottomMargin;
  setFixedHeight(growth);
  show();
  ResizeWindowBy(growth);
  FGrowth = growth;
}

void TFeedOffers::Clear() {
  if (FGrowth == 0) return;
  for (QPushButton* button : FButtons) button->hide();
  hide();
  ResizeWindowBy(-FGrowth);
  FGrowth = 0;
}

void TFeedOffers::ResizeWindowBy(int pixels) {
  QWidget& form = *window();
  UnlockFormSize(form);
  form.resize(form.width(), form.height() + pixels);
  LockFormSize(form);
}

std::vector<TDiscoveredFeed> FeedsToOffer(TSimpleRSS& reader, const std::exception& error,
                                          const std::string& link,
                                          const TProgressCallback& progress) {
  if (!LoadedSomethingElse(reader, error)) return {};
  try {
    return DiscoverFeeds(link, reader.XMLFileOptions.FetchOptions, progress);
  } catch (const std::exception&) {
    // The test has already failed; a page that cannot be read again just offers nothing.
    return {};
  }
}

}  // namespace vantle

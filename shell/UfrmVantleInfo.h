#pragma once

#include <QDialog>
#include <QString>

class QLabel;
class QVBoxLayout;

namespace vantle {

class TLinkLabel;

// The publisher's web site shown and opened by the information window.
inline constexpr char VantleWebsite[] = "https://vantle.example.org";
// The publisher's address for comments and suggestions.
inline constexpr char VantleEmail[] = "feedback@vantle.example.org";
// The user guide's file name, beside the executable.
inline constexpr char UserGuideFileName[] = "Vantle_UserGuide.pdf";

// The information window: version, web site, e-mail address and the user guide.
class TfrmVantleInfo : public QDialog {
  Q_OBJECT

 public:
  explicit TfrmVantleInfo(QWidget* owner);

  // Opens the user guide beside the executable, or says it is missing.
  void Label10Click();

  TLinkLabel* lblWebLink;
  TLinkLabel* lblEmailLink;
  QLabel* Label10;

  // The guide's path; the executable's directory + "Vantle_UserGuide.pdf" unless a test
  // points it elsewhere.
  QString GuidePath;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void AddHeader(QVBoxLayout& layout);
  void AddDetails(QVBoxLayout& layout);
};

}  // namespace vantle

#pragma once

#include <QDialog>
#include <QString>

class QLabel;

namespace vantle {

class TLinkLabel;

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
};

}  // namespace vantle

// The about box: the program's name and version, credits and two links.
#pragma once

#include <QDialog>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QUrl>

namespace quilmark {

// A label that looks and acts like a link.
class LinkLabel : public QLabel {
  Q_OBJECT
 public:
  LinkLabel(const QString& text, QWidget* parent);
 signals:
  void Clicked();

 protected:
  void mouseReleaseEvent(QMouseEvent* event) override;
};

class FrmAbout : public QDialog {
  Q_OBJECT
 public:
  // The links, set when the program is built: the home page defaults to the
  // README installed with the program (or the build's copy of it).
  static QUrl HomePage();
  static QString MailAddress();

  explicit FrmAbout(QWidget* owner);

  void BtnOK_Click();
  void LblHomePage_Click();
  void Label4_Click();

  QLabel* Image1;
  QLabel* Label6;
  QLabel* Label7;
  QPlainTextEdit* TxtInfo;
  LinkLabel* LblHomePage;
  LinkLabel* Label4;
  QPushButton* BtnOK;
};

}  // namespace quilmark

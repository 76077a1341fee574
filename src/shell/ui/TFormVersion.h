// The version window (TFormVersion): the product title and its version, centred on the
// screen. Its update button and progress bar stay hidden.
#pragma once

#include <QDialog>

class QLabel;
class QProgressBar;
class QPushButton;

namespace sorami {

class TFormVersion : public QDialog {
  Q_OBJECT

 public:
  explicit TFormVersion(QWidget* parent = nullptr);

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  QLabel* title_;
  QLabel* version_;
  QPushButton* update_;
  QProgressBar* progress_;
};

}  // namespace sorami

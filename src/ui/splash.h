// TfrmSplash: shown while the dictionary and the main window are made; it
// stays at least one second, without holding up the event loop.
#pragma once

#include <QElapsedTimer>
#include <QWidget>

namespace kst::ui {

class TfrmSplash : public QWidget {
  Q_OBJECT

public:
  TfrmSplash();
  // Shows and paints at once; the second starts now.
  void ShowNow();
  // Waits (processing events) until the second is over, then hides.
  void Finish();
  static constexpr int kMinimumMs = 1000;

protected:
  void paintEvent(QPaintEvent* event) override;

private:
  QElapsedTimer shown_;
};

}  // namespace kst::ui

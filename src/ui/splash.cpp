// The splash window: black, a small drawn kestrel's wing, the product name.
#include "ui/splash.h"

#include <QApplication>
#include <QEventLoop>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QTimer>

namespace kst::ui {

TfrmSplash::TfrmSplash() : QWidget(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint) {
  setObjectName(QStringLiteral("frmSplash"));
  setFixedSize(402, 274);
  if (QScreen* screen = QApplication::primaryScreen()) move(screen->geometry().center() - rect().center());
}

void TfrmSplash::ShowNow() {
  shown_.start();
  show();
  repaint();
  QApplication::processEvents();
}

void TfrmSplash::Finish() {
  qint64 left = kMinimumMs - shown_.elapsed();
  if (left > 0) {
    QEventLoop wait;
    QTimer::singleShot(static_cast<int>(left) + 1, &wait, &QEventLoop::quit);
    wait.exec();
  }
  hide();
}

void TfrmSplash::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  p.fillRect(rect(), Qt::black);
  // A stylised wing in the kestrel's rufous and slate colours.
  QPainterPath wing;
  wing.moveTo(40, 190);
  wing.cubicTo(110, 60, 220, 40, 360, 70);
  wing.cubicTo(250, 100, 170, 140, 120, 200);
  wing.closeSubpath();
  QLinearGradient gradient(40, 190, 360, 70);
  gradient.setColorAt(0, QColor(176, 96, 48));
  gradient.setColorAt(1, QColor(90, 110, 140));
  p.fillPath(wing, gradient);
  p.setPen(Qt::white);
  QFont font(QStringLiteral("Arial"));
  font.setBold(true);
  font.setPixelSize(15);
  p.setFont(font);
  p.drawText(QRect(24, 206, 354, 22), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Kestrin"));
  font.setPixelSize(16);
  p.setFont(font);
  p.drawText(QRect(24, 230, 354, 24), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Translator for Delphi 3"));
}

}  // namespace kst::ui

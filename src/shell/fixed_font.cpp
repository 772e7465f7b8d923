#include "shell/fixed_font.h"

QFont CTVRFixedFont::Create() {
  QFont font(QStringLiteral("Courier"));
  font.setPixelSize(13);
  font.setWeight(QFont::Normal);
  font.setFixedPitch(true);
  font.setStyleHint(QFont::TypeWriter, QFont::PreferDefault);
  font.setKerning(false);
  return font;
}

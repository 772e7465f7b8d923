#include "tool_bar_store.h"

#include <QDataStream>
#include <QIODevice>

namespace {
constexpr quint32 kMagic = 0x54425331;  // "TBS1"
}

QByteArray CTVRToolBarStore::Pack(const Layout& layout) {
  QByteArray bytes;
  QDataStream out(&bytes, QIODevice::WriteOnly);
  out.setVersion(QDataStream::Qt_6_0);
  out << kMagic << quint32(layout.size());
  for (const auto& [nID, buttons] : layout) {
    out << quint32(nID) << quint32(buttons.size());
    for (tvr::UINT button : buttons) out << quint32(button);
  }
  return bytes;
}

bool CTVRToolBarStore::Unpack(const QByteArray& bytes, Layout& layout) {
  layout.clear();
  QDataStream in(bytes);
  in.setVersion(QDataStream::Qt_6_0);
  quint32 magic = 0;
  quint32 bars = 0;
  in >> magic >> bars;
  if (in.status() != QDataStream::Ok || magic != kMagic || bars > quint32(MAX_BARS)) return false;
  for (quint32 b = 0; b < bars; ++b) {
    quint32 nID = 0;
    quint32 count = 0;
    in >> nID >> count;
    // Pack writes each bar once, in increasing order.
    const bool inOrder = layout.empty() || nID > layout.rbegin()->first;
    if (in.status() != QDataStream::Ok || count > quint32(MAX_BUTTONS) || !inOrder) {
      layout.clear();
      return false;
    }
    std::vector<tvr::UINT>& buttons = layout[nID];
    for (quint32 i = 0; i < count && in.status() == QDataStream::Ok; ++i) {
      quint32 button = 0;
      in >> button;
      buttons.push_back(button);
    }
  }
  if (in.status() != QDataStream::Ok || !in.atEnd()) {
    layout.clear();
    return false;
  }
  return true;
}

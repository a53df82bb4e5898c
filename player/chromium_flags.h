#pragma once
// The web engine's command line, set through QTWEBENGINE_CHROMIUM_FLAGS before the QApplication
// exists. What the user or the desktop already put there is kept; ours are added to it.

#include <QByteArray>
#include <QByteArrayList>

namespace zentavo {

// The flags with `add` merged in: a plain flag is added once; the features of a
// "--disable-features=A,B" flag join those of an existing one instead of replacing it (the engine
// reads only the last such flag).
QByteArray MergedChromiumFlags(const QByteArray& existing, const QByteArrayList& add);

// Sets the player's flags in the environment:
// - "--process-per-site": each player page has an opaque origin of its own, so without it every
//   channel change would start a new renderer process, with cold caches, before anything plays;
// - media sessions and media keys off: the engine would otherwise offer every playing page to the
//   desktop as a media player of its own, beside the player's own media controls, and take the
//   media keys from them.
void SetChromiumFlags();

} // namespace zentavo

#pragma once

namespace vendrel {

/// Prepares the embedded web engine. Call it first in main(), before the QApplication is created: it
/// sets the Chromium switches X_ITE needs here (WebGL on blocklisted Mesa drivers; no sandbox when run
/// as root, which Chromium refuses otherwise) and registers the URL scheme the X3D page is served from.
/// Switches already given in QTWEBENGINE_CHROMIUM_FLAGS are kept. Calling it again does nothing.
void prepareWebEngine();

} // namespace vendrel

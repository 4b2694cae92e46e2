#pragma once

class QWebEngineProfile;

namespace mapvale::ui {

// Process-wide preparation of the web engine; call before the QApplication exists. Run as root,
// the engine refuses to start with its sandbox, so the sandbox is switched off then, unless the
// caller chose otherwise in QTWEBENGINE_DISABLE_SANDBOX. Views of one site share a renderer
// process (unless QTWEBENGINE_CHROMIUM_FLAGS says otherwise).
void PrepareWebEngine();

// The one profile every page of the process uses, so renderers can be shared: persistent (cookies
// and cache kept under the user's data folder), or off the record after UseOffTheRecordProfile.
// Created on first use, parented to the application; downloads the engine would start are
// cancelled (pages never save files).
QWebEngineProfile* WebProfile();
// Before the first WebProfile(): keep nothing on disk (tests).
void UseOffTheRecordProfile();

}  // namespace mapvale::ui

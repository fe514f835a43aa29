#pragma once

// Batch runs start without Qt's GUI layer: creating it loads the platform plugin and
// reads the font configuration, which costs more than the rest of a short run. Whatever
// measures or draws text calls ensureGuiApplication() first, so the layer comes up the
// first time a run draws and never in runs that do not.
namespace xyla {

// Creates a QGuiApplication when no Qt application object exists yet; does nothing when
// one exists (the interactive program's, a test's).
void ensureGuiApplication();

// Destroys the application object that ensureGuiApplication() created, if any.
void releaseGuiApplication();

// True once ensureGuiApplication() has created an application object.
bool guiApplicationMadeOnDemand();

}  // namespace xyla

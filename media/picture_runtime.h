// Text inside metafiles needs Qt's font database, which exists only once a QGuiApplication does.
// Programs without a window (zemlo-cli, tests, benchmarks) call this once from their main
// thread to get an off-screen one; the desktop program has its own.
#pragma once

namespace zemlo::media {

// Creates an off-screen QGuiApplication that lives until the process ends, unless a Qt
// application already exists. Call from the main thread.
void ensure_picture_runtime();

// True when metafiles can be drawn (a QGuiApplication exists).
bool picture_runtime_ready();

}  // namespace zemlo::media

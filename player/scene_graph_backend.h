#pragma once
// How the web view's pictures reach the screen. The view draws through Qt Quick, on OpenGL by
// default; where OpenGL is only a software rasterizer (Mesa's llvmpipe in a virtual machine, a
// remote desktop or Xvfb) that drawing costs more processor time than the playing itself: a 720p
// channel took the player 59 s of processor time per minute, 52 of them in the rasterizer. Qt Quick's
// own software renderer draws the same picture for a third of that.

#include <QString>

namespace zentavo {

// The OpenGL renderer's name as the driver gives it ("llvmpipe (LLVM 15.0.6, 256 bits)"), or empty
// when no OpenGL context can be made. Needs the application object.
QString OpenGlRendererName();

// Whether a renderer of that name rasterizes on the processor.
bool IsSoftwareRenderer(const QString& rendererName);

// Chooses Qt Quick's software renderer when OpenGL is missing or runs on the processor, unless
// QT_QUICK_BACKEND says otherwise. Call after the application object exists and before the first
// web view. Returns whether it chose the software renderer.
bool ChooseSceneGraphBackend();

} // namespace zentavo

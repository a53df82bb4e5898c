#include "scene_graph_backend.h"

#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QQuickWindow>
#include <QSGRendererInterface>

namespace zentavo {

QString OpenGlRendererName()
{
    QOffscreenSurface surface;
    surface.create();
    QOpenGLContext context;
    if (!surface.isValid() || !context.create() || !context.makeCurrent(&surface))
        return {};
    const auto* name = reinterpret_cast<const char*>(context.functions()->glGetString(GL_RENDERER));
    const QString renderer = name ? QString::fromLatin1(name) : QString();
    context.doneCurrent();
    return renderer;
}

bool IsSoftwareRenderer(const QString& rendererName)
{
    static const char* const software[] = {"llvmpipe", "softpipe", "swrast", "software rasterizer", "swiftshader"};
    for (const char* word : software) {
        if (rendererName.contains(QLatin1String(word), Qt::CaseInsensitive))
            return true;
    }
    return false;
}

bool ChooseSceneGraphBackend()
{
    if (qEnvironmentVariableIsSet("QT_QUICK_BACKEND"))
        return false;
    const QString renderer = OpenGlRendererName();
    if (!renderer.isEmpty() && !IsSoftwareRenderer(renderer))
        return false;
    QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
    return true;
}

} // namespace zentavo

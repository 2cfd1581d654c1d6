// The drawing back end's own types, named once for the widget layer: cairo on Linux, GDI+ on
// Windows. Only the back-end files (CDrawContext, CBitmap, OffscreenImage, MeasureContext and
// the window files) look inside them. Declarations only: any thread.
#pragma once

#ifdef _WIN32
namespace Gdiplus {
class Graphics;
class Bitmap;
}  // namespace Gdiplus
namespace VSTGUI {
using NativeGraphics = Gdiplus::Graphics;
using NativeImage = Gdiplus::Bitmap;
}  // namespace VSTGUI
#else
typedef struct _cairo cairo_t;
typedef struct _cairo_surface cairo_surface_t;
namespace VSTGUI {
using NativeGraphics = cairo_t;
using NativeImage = cairo_surface_t;
}  // namespace VSTGUI
#endif

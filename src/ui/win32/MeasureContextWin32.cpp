#include "ui/widgets/MeasureContext.h"

#include "ui/win32/Win32Gdiplus.h"

#include <windows.h>
#include <gdiplus.h>

namespace VSTGUI {

MeasureContext::MeasureContext()
{
    ensureGdiplus();
    image = new Gdiplus::Bitmap(1, 1, PixelFormat32bppPARGB);
    graphics = new Gdiplus::Graphics(image);
    drawContext = std::make_unique<CDrawContext>(graphics);
}

MeasureContext::~MeasureContext()
{
    drawContext.reset();
    delete graphics;
    delete image;
}

}  // namespace VSTGUI

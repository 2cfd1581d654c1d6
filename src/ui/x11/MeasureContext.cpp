#include "ui/widgets/MeasureContext.h"

#include <cairo.h>

namespace VSTGUI {

MeasureContext::MeasureContext()
    : image(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 1, 1)), graphics(cairo_create(image)),
      drawContext(std::make_unique<CDrawContext>(graphics))
{
}

MeasureContext::~MeasureContext()
{
    drawContext.reset();
    cairo_destroy(graphics);
    cairo_surface_destroy(image);
}

}  // namespace VSTGUI

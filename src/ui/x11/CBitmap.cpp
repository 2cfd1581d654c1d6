#include "ui/widgets/CBitmap.h"

#include "ui/widgets/CDrawContext.h"

#include "platform/ModulePath.h"

#include <cairo.h>

#include <cmath>

namespace VSTGUI {

namespace {

UTF8String& configuredFolder()
{
    static UTF8String folder;  // empty: derive from the module's own path
    return folder;
}

// Names are plain file names: a path separator or a parent reference is refused.
bool isPlainName(const UTF8String& name)
{
    return !name.empty() && name.find('/') == UTF8String::npos && name != "." && name != "..";
}

}  // namespace

void setResourceFolder(const UTF8String& folder)
{
    configuredFolder() = folder;
}

UTF8String getResourceFolder()
{
    return configuredFolder().empty() ? Steinberg::Vst::moduleResourceFolder() : configuredFolder();
}

CBitmap::CBitmap(const CResourceDescription& description) : description(description)
{
    if (!isPlainName(description.getName()))
        return;
    UTF8String folder = getResourceFolder();
    if (!folder.empty() && folder.back() != '/')
        folder += '/';
    const UTF8String path = folder + description.getName();
    cairo_surface_t* loaded = cairo_image_surface_create_from_png(path.c_str());
    if (cairo_surface_status(loaded) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(loaded);
        return;
    }
    surface = loaded;
    width = cairo_image_surface_get_width(surface);
    height = cairo_image_surface_get_height(surface);

    // The HiDPI picture counts only when it is exactly twice the size.
    const size_t dot = path.rfind('.');
    if (dot == UTF8String::npos || dot < folder.size())
        return;
    const UTF8String path2x = path.substr(0, dot) + "_2x" + path.substr(dot);
    cairo_surface_t* loaded2x = cairo_image_surface_create_from_png(path2x.c_str());
    if (cairo_surface_status(loaded2x) == CAIRO_STATUS_SUCCESS &&
        cairo_image_surface_get_width(loaded2x) == 2 * width &&
        cairo_image_surface_get_height(loaded2x) == 2 * height)
        surface2x = loaded2x;
    else
        cairo_surface_destroy(loaded2x);
}

CBitmap::CBitmap(cairo_surface_t* source) : description("")
{
    if (!source || cairo_surface_status(source) != CAIRO_STATUS_SUCCESS)
        return;
    surface = cairo_surface_reference(source);
    width = cairo_image_surface_get_width(surface);
    height = cairo_image_surface_get_height(surface);
}

CBitmap::~CBitmap()
{
    if (surface)
        cairo_surface_destroy(surface);
    if (surface2x)
        cairo_surface_destroy(surface2x);
}

void CBitmap::draw(CDrawContext* context, const CRect& rect, const CPoint& offset, float alpha)
{
    if (!surface || !context || rect.isEmpty())
        return;
    cairo_t* cr = context->getGraphics();
    cairo_save(cr);
    cairo_rectangle(cr, rect.left, rect.top, rect.getWidth(), rect.getHeight());
    cairo_clip(cr);
    double deviceX = 1, deviceY = 1;
    cairo_user_to_device_distance(cr, &deviceX, &deviceY);
    if (surface2x && std::fabs(deviceX) > 1.25) {
        // Half-size user units over the double picture: one picture pixel per device pixel.
        cairo_translate(cr, rect.left - offset.x, rect.top - offset.y);
        cairo_scale(cr, 0.5, 0.5);
        cairo_set_source_surface(cr, surface2x, 0, 0);
    } else {
        cairo_set_source_surface(cr, surface, rect.left - offset.x, rect.top - offset.y);
    }
    cairo_paint_with_alpha(cr, alpha * context->getGlobalAlpha());
    cairo_restore(cr);
}

}  // namespace VSTGUI

#include "Painting.h"

#include <cmath>

namespace zephra::resources {

void setColour(cairo_t* cr, Rgb colour, double alpha)
{
    cairo_set_source_rgba(cr, colour.r, colour.g, colour.b, alpha);
}

void roundedRect(cairo_t* cr, double x, double y, double w, double h, double radius)
{
    const double degrees = M_PI / 180.0;
    cairo_new_sub_path(cr);
    cairo_arc(cr, x + w - radius, y + radius, radius, -90 * degrees, 0);
    cairo_arc(cr, x + w - radius, y + h - radius, radius, 0, 90 * degrees);
    cairo_arc(cr, x + radius, y + h - radius, radius, 90 * degrees, 180 * degrees);
    cairo_arc(cr, x + radius, y + radius, radius, 180 * degrees, 270 * degrees);
    cairo_close_path(cr);
}

void text(cairo_t* cr, const char* utf8, double x, double baseline, double size, Rgb colour,
          double align, bool bold)
{
    cairo_select_font_face(cr, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL,
                           bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, size);
    cairo_text_extents_t extents;
    cairo_text_extents(cr, utf8, &extents);
    setColour(cr, colour);
    cairo_move_to(cr, x - align * extents.x_advance, baseline);
    cairo_show_text(cr, utf8);
}

void insetField(cairo_t* cr, double x, double y, double w, double h)
{
    roundedRect(cr, x, y, w, h, 3);
    setColour(cr, {0.05, 0.06, 0.07});
    cairo_fill_preserve(cr);
    cairo_set_line_width(cr, 1);
    setColour(cr, {0.0, 0.0, 0.0}, 0.8);
    cairo_stroke(cr);
    // A faint highlight on the lower edge makes the field look sunk into the panel.
    cairo_move_to(cr, x + 3, y + h + 0.5);
    cairo_line_to(cr, x + w - 3, y + h + 0.5);
    setColour(cr, {1, 1, 1}, 0.08);
    cairo_stroke(cr);
}

void knobFrame(cairo_t* cr, double x, double y, double size, double position)
{
    const double cx = x + size / 2, cy = y + size / 2;
    const double outer = size / 2 - 2;
    const double start = 135.0 * M_PI / 180.0;  // 7:30 o'clock
    const double sweep = 270.0 * M_PI / 180.0;

    // Value arc behind the knob: dim track, lit part up to the pointer.
    cairo_set_line_width(cr, 3);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    setColour(cr, {0.2, 0.22, 0.24});
    cairo_arc(cr, cx, cy, outer, start, start + sweep);
    cairo_stroke(cr);
    if (position > 0.0) {
        setColour(cr, {0.57, 0.82, 0.31});
        cairo_arc(cr, cx, cy, outer, start, start + sweep * position);
        cairo_stroke(cr);
    }

    // Knob body with a vertical metal gradient.
    const double body = outer - 5;
    cairo_pattern_t* shade = cairo_pattern_create_linear(cx, cy - body, cx, cy + body);
    cairo_pattern_add_color_stop_rgb(shade, 0, 0.42, 0.44, 0.47);
    cairo_pattern_add_color_stop_rgb(shade, 1, 0.13, 0.14, 0.15);
    cairo_arc(cr, cx, cy, body, 0, 2 * M_PI);
    cairo_set_source(cr, shade);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(shade);
    cairo_set_line_width(cr, 1);
    setColour(cr, {0, 0, 0}, 0.9);
    cairo_stroke(cr);

    // Pointer line.
    const double angle = start + sweep * position;
    cairo_set_line_width(cr, 2.5);
    setColour(cr, {0.92, 0.94, 0.9});
    cairo_move_to(cr, cx + std::cos(angle) * body * 0.35, cy + std::sin(angle) * body * 0.35);
    cairo_line_to(cr, cx + std::cos(angle) * body * 0.9, cy + std::sin(angle) * body * 0.9);
    cairo_stroke(cr);
}

}  // namespace zephra::resources

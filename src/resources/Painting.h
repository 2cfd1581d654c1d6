// Build-time drawing helpers for the editor images (single-threaded tool; not real-time code).
#pragma once

#include <cairo.h>

namespace zephra::resources {

struct Rgb { double r, g, b; };

void setColour(cairo_t* cr, Rgb colour, double alpha = 1.0);
void roundedRect(cairo_t* cr, double x, double y, double w, double h, double radius);
// Text placed by its left edge (align 0), centre (0.5) or right edge (1) on a baseline.
void text(cairo_t* cr, const char* utf8, double x, double baseline, double size, Rgb colour,
          double align = 0.0, bool bold = false);
// A recessed display field, where the editor puts a value label or the list.
void insetField(cairo_t* cr, double x, double y, double w, double h);
// One knob face of the given size with the pointer at `position` (0..1 over 270 degrees).
void knobFrame(cairo_t* cr, double x, double y, double size, double position);

}  // namespace zephra::resources

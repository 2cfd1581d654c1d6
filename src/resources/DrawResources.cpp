// Build-time tool: draws the editor's PNG images into the folder given on the command line.
// Single-threaded, not real-time code. Exit code 0 when all five images were written.
#include "Painting.h"

#include <cairo.h>

#include <cmath>
#include <cstdio>
#include <string>

using namespace zephra::resources;

namespace {

const Rgb kCaption{0.76, 0.84, 0.60};   // matches the editor's accent colour
const Rgb kDimCaption{0.50, 0.56, 0.44};
const Rgb kTitle{0.90, 0.93, 0.86};

// A picture drawn in editor pixels at `scale` device pixels each: scale 1 gives "<name>.png",
// scale 2 the HiDPI "<name>_2x.png".
struct Canvas
{
    cairo_surface_t* surface;
    cairo_t* cr;
};

Canvas makeCanvas(int width, int height, int scale)
{
    cairo_surface_t* surface =
        cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width * scale, height * scale);
    cairo_t* cr = cairo_create(surface);
    cairo_scale(cr, scale, scale);
    return {surface, cr};
}

bool writePng(Canvas canvas, const std::string& folder, const char* stem, int scale)
{
    cairo_destroy(canvas.cr);
    cairo_surface_t* surface = canvas.surface;
    const std::string path = folder + "/" + stem + (scale == 2 ? "_2x.png" : ".png");
    const bool ok = cairo_surface_write_to_png(surface, path.c_str()) == CAIRO_STATUS_SUCCESS;
    if (!ok)
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
    cairo_surface_destroy(surface);
    return ok;
}

void sectionPanel(cairo_t* cr, double x, double y, double w, double h, const char* title)
{
    roundedRect(cr, x, y, w, h, 6);
    setColour(cr, {0.16, 0.17, 0.19});
    cairo_fill_preserve(cr);
    cairo_set_line_width(cr, 1);
    setColour(cr, {1, 1, 1}, 0.07);
    cairo_stroke(cr);
    if (title)
        text(cr, title, x + 10, y + 16, 10, kDimCaption, 0.0, true);
}

// The panel behind the controls; every caption sits beside the place where the editor puts
// the matching control or value label.
bool drawBackground(const std::string& folder, int scale)
{
    const Canvas canvas = makeCanvas(681, 441, scale);
    cairo_t* cr = canvas.cr;

    cairo_pattern_t* base = cairo_pattern_create_linear(0, 0, 0, 441);
    cairo_pattern_add_color_stop_rgb(base, 0, 0.13, 0.14, 0.15);
    cairo_pattern_add_color_stop_rgb(base, 1, 0.07, 0.075, 0.08);
    cairo_set_source(cr, base);
    cairo_paint(cr);
    cairo_pattern_destroy(base);

    // Fine horizontal brushing for a metal look (one device pixel thick at every scale).
    cairo_set_line_width(cr, 1.0 / scale);
    for (int y = 0; y < 441 * scale; y += 3) {
        setColour(cr, {1, 1, 1}, (y % 9 == 0) ? 0.018 : 0.008);
        cairo_move_to(cr, 0, (y + 0.5) / scale);
        cairo_line_to(cr, 681, (y + 0.5) / scale);
        cairo_stroke(cr);
    }

    // Header strip: load area, file name, product name.
    sectionPanel(cr, 10, 10, 661, 80, nullptr);
    text(cr, "Load SoundFont", 52, 40, 11, kCaption, 0.0, true);
    text(cr, "Zephra SF2 Player", 660, 38, 20, kTitle, 1.0, true);
    text(cr, "SoundFont 2 instrument", 660, 52, 9, kDimCaption, 1.0);
    text(cr, "File", 100, 74, 10, kDimCaption, 1.0, true);
    insetField(cr, 106, 59, 556, 23);

    // Preset list.
    sectionPanel(cr, 15, 100, 215, 333, "PRESETS");
    insetField(cr, 24, 124, 197, 302);

    // Engine status.
    sectionPanel(cr, 240, 100, 431, 90, "ENGINE");
    // The figure counts the sample points the engine holds, in thousands (of 1024).
    text(cr, "Sample data", 330, 145, 11, kCaption, 1.0);
    insetField(cr, 338, 128, 64, 24);
    text(cr, "k points", 408, 145, 10, kDimCaption);
    text(cr, "Voices", 330, 175, 11, kCaption, 1.0);
    insetField(cr, 338, 158, 64, 24);
    text(cr, "/ 64", 408, 175, 10, kDimCaption);
    // The response switch (response_switch.png) lies at (490, 130) and shows its own choices.
    text(cr, "Response", 490, 116, 10, kDimCaption, 0.0, true);

    // Controllers.
    sectionPanel(cr, 240, 198, 431, 112, "CONTROLLERS");
    text(cr, "Pitch Bend", 362, 235, 11, kCaption, 1.0);
    insetField(cr, 368, 218, 64, 24);
    text(cr, "Mod Wheel", 362, 265, 11, kCaption, 1.0);
    insetField(cr, 368, 248, 64, 24);
    text(cr, "Sus Pedal", 362, 295, 11, kCaption, 1.0);
    insetField(cr, 368, 278, 64, 24);
    text(cr, "Bend Range", 572, 235, 11, kCaption, 1.0);
    // The bend-range field shows black text, so it sits on a light plate.
    roundedRect(cr, 578, 218, 62, 24, 3);
    setColour(cr, {0.80, 0.85, 0.72});
    cairo_fill(cr);
    text(cr, "Expression", 572, 265, 11, kCaption, 1.0);
    insetField(cr, 578, 248, 64, 24);

    // Output. The knobs' captions are the editor's own labels: they show the value while a
    // knob is turned or pointed at.
    sectionPanel(cr, 240, 318, 431, 115, "OUTPUT");
    text(cr, "Norvane", 455, 380, 10, kDimCaption, 0.5, true);

    return writePng(canvas, folder, "background", scale);
}

void folderIcon(cairo_t* cr, double y, bool pressed)
{
    const double shift = pressed ? 1.0 : 0.0;
    roundedRect(cr, 1, y + 1, 23, 23, 4);
    setColour(cr, pressed ? Rgb{0.30, 0.40, 0.20} : Rgb{0.22, 0.24, 0.26});
    cairo_fill_preserve(cr);
    cairo_set_line_width(cr, 1);
    setColour(cr, {0, 0, 0}, 0.8);
    cairo_stroke(cr);
    // Folder shape with a tab.
    cairo_move_to(cr, 5 + shift, y + 8 + shift);
    cairo_line_to(cr, 10 + shift, y + 8 + shift);
    cairo_line_to(cr, 12 + shift, y + 10 + shift);
    cairo_line_to(cr, 20 + shift, y + 10 + shift);
    cairo_line_to(cr, 20 + shift, y + 19 + shift);
    cairo_line_to(cr, 5 + shift, y + 19 + shift);
    cairo_close_path(cr);
    setColour(cr, pressed ? Rgb{0.85, 0.95, 0.70} : Rgb{0.76, 0.84, 0.60});
    cairo_fill(cr);
}

bool drawLoadIcon(const std::string& folder, int scale)
{
    const Canvas canvas = makeCanvas(25, 50, scale);
    folderIcon(canvas.cr, 0, false);
    folderIcon(canvas.cr, 25, true);
    return writePng(canvas, folder, "icon_load", scale);
}

bool drawKnobStrip(const std::string& folder, int scale)
{
    constexpr int kFrames = 31;
    const Canvas canvas = makeCanvas(50, 50 * kFrames, scale);
    for (int frame = 0; frame < kFrames; ++frame)
        knobFrame(canvas.cr, 0, 50.0 * frame, 50, frame / double(kFrames - 1));
    return writePng(canvas, folder, "animeknob", scale);
}

// Frame 0: upper half pressed, 1: at rest, 2: lower half pressed.
void rockerFrame(cairo_t* cr, double y, int pressedHalf)
{
    roundedRect(cr, 1, y + 1, 19, 19, 3);
    setColour(cr, {0.20, 0.21, 0.23});
    cairo_fill_preserve(cr);
    cairo_set_line_width(cr, 1);
    setColour(cr, {0, 0, 0}, 0.9);
    cairo_stroke(cr);
    for (int half = 0; half < 2; ++half) {
        const bool pressed = (half == 0 && pressedHalf < 0) || (half == 1 && pressedHalf > 0);
        const double top = y + 2 + half * 9;
        cairo_rectangle(cr, 3, top, 15, 8);
        setColour(cr, pressed ? Rgb{0.45, 0.60, 0.28} : Rgb{0.30, 0.32, 0.34});
        cairo_fill(cr);
        // Arrow pointing up on the upper half, down on the lower.
        const double mid = top + 4;
        const double dir = half == 0 ? -1.0 : 1.0;
        cairo_move_to(cr, 10.5, mid + dir * 2.5);
        cairo_line_to(cr, 7.5, mid - dir * 2);
        cairo_line_to(cr, 13.5, mid - dir * 2);
        cairo_close_path(cr);
        setColour(cr, pressed ? Rgb{0.95, 1.0, 0.88} : Rgb{0.76, 0.84, 0.60});
        cairo_fill(cr);
    }
}

bool drawRockerStrip(const std::string& folder, int scale)
{
    const Canvas canvas = makeCanvas(21, 63, scale);
    rockerFrame(canvas.cr, 0, -1);
    rockerFrame(canvas.cr, 21, 0);
    rockerFrame(canvas.cr, 42, +1);
    return writePng(canvas, folder, "r_switch_v", scale);
}

// The response switch, 150 x 54 per state: a vertical lever beside the two choices, the
// chosen one lit. State 0 (lever up): "Classic"; state 1 (lever down): "SoundFont 2.04". The
// rows line up with the engine figures beside it.
void responseFrame(cairo_t* cr, double y, bool soundFont)
{
    roundedRect(cr, 2, y + 3, 16, 48, 8);
    setColour(cr, {0.05, 0.06, 0.07});
    cairo_fill_preserve(cr);
    cairo_set_line_width(cr, 1);
    setColour(cr, {0, 0, 0}, 0.8);
    cairo_stroke(cr);

    const double top = y + (soundFont ? 29 : 5);
    cairo_pattern_t* shade = cairo_pattern_create_linear(0, top, 0, top + 20);
    cairo_pattern_add_color_stop_rgb(shade, 0, 0.62, 0.76, 0.42);
    cairo_pattern_add_color_stop_rgb(shade, 1, 0.36, 0.50, 0.22);
    roundedRect(cr, 4, top, 12, 20, 6);
    cairo_set_source(cr, shade);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(shade);
    setColour(cr, {0, 0, 0}, 0.7);
    cairo_stroke(cr);
    for (int line = 0; line < 3; ++line) {   // grip
        cairo_move_to(cr, 7, top + 7 + 3 * line + 0.5);
        cairo_line_to(cr, 13, top + 7 + 3 * line + 0.5);
    }
    setColour(cr, {0.12, 0.16, 0.08}, 0.8);
    cairo_stroke(cr);

    text(cr, "Classic", 26, y + 15, 11, soundFont ? kDimCaption : kCaption, 0.0, !soundFont);
    text(cr, "SoundFont 2.04", 26, y + 45, 11, soundFont ? kCaption : kDimCaption, 0.0, soundFont);
}

bool drawResponseSwitch(const std::string& folder, int scale)
{
    const Canvas canvas = makeCanvas(150, 108, scale);
    responseFrame(canvas.cr, 0, false);
    responseFrame(canvas.cr, 54, true);
    return writePng(canvas, folder, "response_switch", scale);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <output folder>\n", argv[0]);
        return 2;
    }
    const std::string folder = argv[1];
    bool ok = true;
    for (int scale : {1, 2}) {
        ok = drawBackground(folder, scale) && ok;
        ok = drawLoadIcon(folder, scale) && ok;
        ok = drawKnobStrip(folder, scale) && ok;
        ok = drawRockerStrip(folder, scale) && ok;
        ok = drawResponseSwitch(folder, scale) && ok;
    }
    return ok ? 0 : 1;
}

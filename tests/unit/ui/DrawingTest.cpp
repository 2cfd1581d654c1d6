// Drawing primitives, bitmaps loaded by resource name, the built editor images, content
// scaling and PNG snapshots.
#include "UiTestSupport.h"

#include "ui/widgets/CBitmap.h"
#include "ui/widgets/CDrawContext.h"
#include "ui/widgets/CKickButton.h"
#include "ui/widgets/MeasureContext.h"
#include "ui/widgets/OffscreenImage.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>

using namespace VSTGUI;
using namespace zephra::test;

namespace {

// Runs `paint` on a white 40 x 40 image and returns it.
template <typename Paint>
OffscreenImage paintOn(Paint paint)
{
    class Painter : public CView
    {
    public:
        Painter(Paint paint) : CView(CRect(0, 0, 40, 40)), paint(paint) {}
        void draw(CDrawContext* context) override { paint(*context); }
        Paint paint;
    };
    TestFrame frame(nullptr, 40, 40);
    frame->setBackgroundColor(kWhiteCColor);
    frame->addView(new Painter(paint));
    return OffscreenImage::render(*frame);
}

class ResourceFolderScope
{
public:
    explicit ResourceFolderScope(const std::string& folder) { setResourceFolder(folder); }
    ~ResourceFolderScope() { setResourceFolder({}); }
};

}  // namespace

TEST(DrawContext, AliasedOutlineCoversExactlyTheEdgePixels)
{
    OffscreenImage image = paintOn([](CDrawContext& c) {
        c.setDrawMode(kAliasing);
        c.setLineWidth(1);
        c.setFrameColor(kBlackCColor);
        c.setFillColor(CColor(0, 0, 255, 255));
        c.drawRect(CRect(10, 10, 30, 30), kDrawFilledAndStroked);
    });
    EXPECT_EQ(image.getPixel(10, 10), kBlackCColor);
    EXPECT_EQ(image.getPixel(29, 29), kBlackCColor);
    EXPECT_EQ(image.getPixel(11, 11), CColor(0, 0, 255, 255));
    EXPECT_EQ(image.getPixel(30, 30), kWhiteCColor);
    EXPECT_EQ(image.getPixel(9, 9), kWhiteCColor);
}

TEST(DrawContext, IntegralModeSnapsFractionalRectangles)
{
    OffscreenImage snapped = paintOn([](CDrawContext& c) {
        c.setDrawMode(kAliasing);
        c.setFillColor(kBlackCColor);
        c.drawRect(CRect(10.4, 10.4, 20.4, 20.4), kDrawFilled);
    });
    EXPECT_EQ(snapped.getPixel(10, 10), kBlackCColor);
    EXPECT_EQ(snapped.getPixel(20, 20), kWhiteCColor);

    OffscreenImage exact = paintOn([](CDrawContext& c) {
        c.setDrawMode(kAntiAliasing | kNonIntegralMode);
        c.setFillColor(kBlackCColor);
        c.drawRect(CRect(10.5, 10, 20, 20), kDrawFilled);
    });
    const CColor edge = exact.getPixel(10, 15);  // half covered: grey
    EXPECT_GT(edge.red, 60);
    EXPECT_LT(edge.red, 200);
}

TEST(DrawContext, DrawModeFlags)
{
    EXPECT_TRUE(CDrawMode(kAliasing).integralMode());
    EXPECT_FALSE(CDrawMode(kAliasing).antiAliased());
    EXPECT_FALSE(CDrawMode(kNonIntegralMode).integralMode());
    EXPECT_FALSE(CDrawMode(kNonIntegralMode).antiAliased());
    EXPECT_TRUE(CDrawMode(kAntiAliasing | kNonIntegralMode).antiAliased());
    EXPECT_EQ(uint32_t(kNonIntegralMode), 0xF0000000u);
}

TEST(DrawContext, DashedLinesLeaveGaps)
{
    OffscreenImage image = paintOn([](CDrawContext& c) {
        c.setDrawMode(kAliasing);
        c.setLineWidth(2);
        c.setLineStyle(CLineStyle(CLineStyle::kLineCapButt, {2, 2}));
        c.setFrameColor(kBlackCColor);
        c.drawLine(CPoint(0, 20), CPoint(40, 20));
    });
    int ink = 0;
    for (int x = 0; x < 40; ++x)
        ink += image.getPixel(x, 20) == kBlackCColor ? 1 : 0;
    EXPECT_GT(ink, 12);
    EXPECT_LT(ink, 28);
}

TEST(DrawContext, SavedStateIsRestored)
{
    MeasureContext scratch;
    {
        CDrawContext& c = scratch.context();
        c.setLineWidth(3);
        c.setFillColor(kRedCColor);
        c.saveGlobalState();
        c.setLineWidth(1);
        c.setFillColor(kBlueCColor);
        c.setDrawMode(kNonIntegralMode);
        c.restoreGlobalState();
        EXPECT_EQ(c.getLineWidth(), 3);
        EXPECT_EQ(c.getFillColor(), kRedCColor);
        EXPECT_TRUE(c.getDrawMode().integralMode());
    }
}

TEST(Bitmap, MissingOrUnsafeNamesGiveEmptyImages)
{
    ResourceFolderScope scope("/nonexistent-folder");
    auto* missing = new CBitmap(CResourceDescription("background.png"));
    EXPECT_FALSE(missing->isLoaded());
    EXPECT_EQ(missing->getWidth(), 0);
    EXPECT_EQ(missing->getHeight(), 0);
    missing->forget();
    auto* escaping = new CBitmap(CResourceDescription("../../etc/passwd"));
    EXPECT_FALSE(escaping->isLoaded());
    escaping->forget();
    auto* none = new CBitmap(CResourceDescription(nullptr));
    EXPECT_FALSE(none->isLoaded());
    none->forget();
}

TEST(Bitmap, DefaultFolderIsTheBundleResourcesBesideTheModule)
{
    // <bundle>/Contents/x86_64-linux/<name>.so -> <bundle>/Contents/Resources
    const std::string folder = getResourceFolder();
    ASSERT_GE(folder.size(), 10u);
    EXPECT_NE(folder.find("Resources"), std::string::npos) << folder;
}

TEST(Bitmap, CorruptPngIsRefused)
{
    const std::string folder = std::string(ZEPHRA_UI_SNAPSHOT_DIR);
    std::ofstream(folder + "/corrupt.png") << "\x89PNG\r\n\x1a\n garbage";
    ResourceFolderScope scope(folder);
    auto* bitmap = new CBitmap(CResourceDescription("corrupt.png"));
    EXPECT_FALSE(bitmap->isLoaded());
    bitmap->forget();
}

TEST(Bitmap, TheBuiltEditorImagesHaveTheirSizes)
{
    const std::string folder = builtResourceFolder();
    if (folder.empty())
        GTEST_SKIP() << "editor images not built (target zephra_resources)";
    ResourceFolderScope scope(folder);
    struct Expected { const char* name; int width; int height; };
    for (const Expected& e : {Expected{"background.png", 681, 441}, Expected{"icon_load.png", 25, 50},
                              Expected{"animeknob.png", 50, 1550}, Expected{"r_switch_v.png", 21, 63}}) {
        auto* bitmap = new CBitmap(CResourceDescription(e.name));
        EXPECT_TRUE(bitmap->isLoaded()) << e.name;
        EXPECT_EQ(bitmap->getWidth(), e.width) << e.name;
        EXPECT_EQ(bitmap->getHeight(), e.height) << e.name;
        bitmap->forget();
    }
}

TEST(Bitmap, FrameBackgroundAndKickButtonImageDrawFromTheBundle)
{
    const std::string folder = builtResourceFolder();
    if (folder.empty())
        GTEST_SKIP() << "editor images not built (target zephra_resources)";
    ResourceFolderScope scope(folder);
    TestFrame frame(nullptr, 681, 441);
    auto* background = new CBitmap(CResourceDescription("background.png"));
    frame->setBackground(background);
    background->forget();
    auto* icon = new CBitmap(CResourceDescription("icon_load.png"));
    frame->addView(new CKickButton(CRect(20, 20, 45, 45), nullptr, 1, icon));
    icon->forget();

    OffscreenImage image = OffscreenImage::render(*frame);
    ASSERT_EQ(image.getWidth(), 681);
    // The panel is dark; the bend-range plate is light.
    const CColor panel = image.getPixel(5, 430);
    EXPECT_LT(panel.red + panel.green + panel.blue, 3 * 80);
    const CColor plate = image.getPixel(610, 230);
    EXPECT_GT(plate.red + plate.green + plate.blue, 3 * 150);
    EXPECT_TRUE(image.writePng(std::string(ZEPHRA_UI_SNAPSHOT_DIR) + "/background.png"));
}

TEST(Snapshot, ScaledRenderingDoublesThePixels)
{
    TestFrame frame(nullptr, 50, 30);
    frame->setBackgroundColor(kRedCColor);
    OffscreenImage image = OffscreenImage::render(*frame, 2.0);
    EXPECT_EQ(image.getWidth(), 100);
    EXPECT_EQ(image.getHeight(), 60);
    EXPECT_EQ(image.getPixel(99, 59), kRedCColor);
    EXPECT_EQ(image.getPixel(100, 0).alpha, 0);  // outside
}

TEST(Snapshot, PngFileIsWrittenAndReadable)
{
    TestFrame frame(nullptr, 20, 10);
    frame->setBackgroundColor(kBlueCColor);
    const std::string path = std::string(ZEPHRA_UI_SNAPSHOT_DIR) + "/snapshot_blue.png";
    std::remove(path.c_str());
    ASSERT_TRUE(OffscreenImage::render(*frame).writePng(path));
    // Read back through the image loader, which decodes PNG files independently of the writer.
    ResourceFolderScope scope(ZEPHRA_UI_SNAPSHOT_DIR);
    auto read = owned(new CBitmap(CResourceDescription("snapshot_blue.png")));
    ASSERT_TRUE(read->isLoaded());
    EXPECT_EQ(read->getWidth(), 20);
    TestFrame check(nullptr, 20, 10);
    check->setBackground(read.get());
    EXPECT_EQ(OffscreenImage::render(*check).getPixel(0, 0), kBlueCColor);
    EXPECT_FALSE(OffscreenImage::render(*frame).writePng("/nonexistent-folder/x.png"));
}

TEST(Frame, RefusesNonsenseScaleFactors)
{
    TestFrame frame;
    frame->setScaleFactor(2.0);
    frame->setScaleFactor(0.0);
    frame->setScaleFactor(std::nan(""));
    frame->setScaleFactor(1000.0);
    EXPECT_EQ(frame->getScaleFactor(), 2.0);
}

TEST(Frame, OpenWithoutParentOrRunLoopFailsAndStaysUsableOffScreen)
{
    TestFrame frame;
    EXPECT_FALSE(frame->open(nullptr));
    EXPECT_FALSE(frame->open(reinterpret_cast<void*>(uintptr_t(0x1234))));  // no run loop
    EXPECT_FALSE(frame->isOpen());
    frame->setBackgroundColor(kRedCColor);
    EXPECT_EQ(OffscreenImage::render(*frame).getPixel(1, 1), kRedCColor);
}

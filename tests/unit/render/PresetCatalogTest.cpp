// The preset list as the editor shows it, and the checks that refuse unusable SoundFonts.
#include "PresetCatalog.h"
#include "support/SoundFontWriter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <unistd.h>

using namespace zephra::render;
using zephra::test::PresetSpec;
using zephra::test::SoundFontSpec;

namespace {

// A one-sample font whose presets are given as (name, bank, program) in file order.
SoundFontSpec fontWithPresets(const std::vector<std::tuple<std::string, uint16_t, uint16_t>>& presets) {
    SoundFontSpec spec;
    zephra::test::SampleSpec sample;
    for (int i = 0; i < 400; ++i) sample.points.push_back(static_cast<int16_t>(8000 * std::sin(i * 0.0628318)));
    sample.loopStart = 100;
    sample.loopEnd = 300;
    spec.samples.push_back(sample);
    zephra::test::InstrumentSpec instrument;
    instrument.zones.push_back({{}, {}, 0});
    spec.instruments.push_back(instrument);
    for (const auto& [name, bank, program] : presets) {
        PresetSpec preset;
        preset.name = name;
        preset.bank = bank;
        preset.program = program;
        preset.zones.push_back({{}, {}, 0});
        spec.presets.push_back(preset);
    }
    return spec;
}

class PresetCatalogTest : public ::testing::Test {
protected:
    void TearDown() override {
        if (!path.empty()) std::remove(path.c_str());
    }
    std::string write(const std::vector<uint8_t>& bytes) {
        char pattern[] = "/tmp/zephra-render-catalog-XXXXXX";
        const int fd = ::mkstemp(pattern);
        EXPECT_GE(fd, 0);
        ::close(fd);
        path = pattern;
        EXPECT_TRUE(zephra::test::writeFile(path, bytes));
        return path;
    }
    std::string path;
};

} // namespace

TEST_F(PresetCatalogTest, RowsAreSortedByTheirTextWithTheirPresetIndex) {
    PresetCatalog catalog;
    std::string error;
    ASSERT_TRUE(catalog.load(write(zephra::test::buildSoundFont(
                                 fontWithPresets({{"Piano", 0, 0}, {"Drums", 128, 0}, {"Organ", 0, 5}}))),
                             error))
        << error;
    const std::vector<PresetEntry> rows = catalog.sortedRows();
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].row, "000:000 - Piano");
    EXPECT_EQ(rows[0].index, 0);
    EXPECT_EQ(rows[1].row, "000:005 - Organ");
    EXPECT_EQ(rows[1].index, 2);
    EXPECT_EQ(rows[2].row, "128:000 - Drums");
    EXPECT_EQ(rows[2].index, 1);
    EXPECT_EQ(catalog.topRowPreset(), 0);
    EXPECT_EQ(catalog.find(128, 0), 1);
    EXPECT_EQ(catalog.find(0, 5), 2);
    EXPECT_EQ(catalog.find(0, 1), -1);
    EXPECT_TRUE(catalog.contains(2));
    EXPECT_FALSE(catalog.contains(3));  // the terminal record is not a preset
}

TEST_F(PresetCatalogTest, BankAbove999SortsByItsText) {
    PresetCatalog catalog;
    std::string error;
    ASSERT_TRUE(catalog.load(write(zephra::test::buildSoundFont(fontWithPresets({{"Drums", 128, 0}, {"Odd", 1000, 0}}))),
                             error));
    EXPECT_EQ(catalog.sortedRows().front().row, "1000:000 - Odd");
    EXPECT_EQ(catalog.topRowPreset(), 1);
}

TEST_F(PresetCatalogTest, EqualRowsLeadToTheLaterPresetAsInTheEditor) {
    PresetCatalog catalog;
    std::string error;
    ASSERT_TRUE(catalog.load(write(zephra::test::buildSoundFont(fontWithPresets({{"Same", 0, 0}, {"Same", 0, 0}}))),
                             error));
    EXPECT_EQ(catalog.sortedRows().size(), 2u);
    EXPECT_EQ(catalog.topRowPreset(), 1);
    EXPECT_EQ(catalog.find(0, 0), 0);
}

TEST_F(PresetCatalogTest, RowsShowWindows1252NamesAsTheEditorDoes) {
    PresetCatalog catalog;
    std::string error;
    ASSERT_TRUE(catalog.load(write(zephra::test::buildSoundFont(fontWithPresets({{"Caf\xE9", 0, 0}}))), error));
    EXPECT_EQ(catalog.sortedRows().front().row, "000:000 - Caf\xC3\xA9");
    EXPECT_EQ(catalog.entry(0)->name, "Caf\xE9");   // the stored bytes stay as they are
}

TEST_F(PresetCatalogTest, FileWithoutPresetsIsRefused) {
    PresetCatalog catalog;
    std::string error;
    EXPECT_FALSE(catalog.load(write(zephra::test::buildSoundFont(fontWithPresets({}))), error));
    EXPECT_NE(error.find("no presets"), std::string::npos) << error;
    EXPECT_EQ(catalog.fault(), SoundFontFault::NoPresets);
}

TEST_F(PresetCatalogTest, FileThatIsNotASoundFontIsRefused) {
    PresetCatalog catalog;
    std::string error;
    EXPECT_FALSE(catalog.load(write({'R', 'I', 'F', 'F', 4, 0, 0, 0, 'W', 'A', 'V', 'E'}), error));
    EXPECT_EQ(catalog.fault(), SoundFontFault::NotASoundFont);
}

TEST_F(PresetCatalogTest, MissingFileIsReportedAsMissing) {
    PresetCatalog catalog;
    std::string error;
    EXPECT_FALSE(catalog.load("/nonexistent/font.sf2", error));
    EXPECT_EQ(catalog.fault(), SoundFontFault::Missing);
}

TEST(PresetRowText, PadsBankAndProgramToThreeDigits) {
    EXPECT_EQ(presetRowText(0, 5, "Organ"), "000:005 - Organ");
    EXPECT_EQ(presetRowText(1000, 12, "X"), "1000:012 - X");
}

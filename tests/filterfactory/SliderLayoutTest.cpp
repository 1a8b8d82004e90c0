// The eight sliders of the Filter Factory preview page and the Randomize
// and Reset rules.

#include "filterfactory/ParameterBlock.h"
#include "filterfactory/SliderLayout.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace vardel::test {
namespace {

CParameterBlock Labelled()
{
    CParameterBlock block;
    for (int i = 0; i < 8; ++i) {
        block.SetControlLabel(i, "Control " + std::to_string(i));
        block.SetSlider(i, 100 + i);
    }
    for (int i = 0; i < 4; ++i)
        block.SetMapLabel(i, "Map " + std::to_string(i));
    return block;
}

TEST(SliderLayoutTest, VisibilityAndLabelsByControlAndMap)
{
    struct Row {
        bool control, map;  // of slider 2 (first of map 1) and slider 3 (second)
        bool visible;
        const char* label2;
        const char* label3;
    };
    const Row rows[] = {
        {false, false, false, "", ""},
        {true, false, true, "Control 2", "Control 3"},
        {false, true, true, "", "Map 1"},
        {true, true, true, "Control 2", "Control 3"},  // a control names its own slider
    };
    for (const Row& row : rows) {
        CParameterBlock block = Labelled();
        block.SetControlInUse(2, row.control);
        block.SetControlInUse(3, row.control);
        block.SetMapInUse(1, row.map);
        const auto sliders = SliderLayout(block);
        EXPECT_EQ(sliders[2].visible, row.visible);
        EXPECT_EQ(sliders[3].visible, row.visible);
        EXPECT_EQ(sliders[2].label, row.label2);
        EXPECT_EQ(sliders[3].label, row.label3);
        EXPECT_EQ(sliders[2].value, 102);
        EXPECT_EQ(sliders[3].value, 103);
        for (int i : {0, 1, 4, 5, 6, 7})
            EXPECT_FALSE(sliders[static_cast<std::size_t>(i)].visible) << i;
    }
    EXPECT_FALSE(IsSliderInUse(Labelled(), -1));
    EXPECT_FALSE(IsSliderInUse(Labelled(), 8));
}

TEST(SliderLayoutTest, TheTestFilterFactoryFilter)
{
    const auto file = testDataDir() / "plugins" / "ff_filter.8bf";
    if (!std::filesystem::exists(file))
        FAIL() << "test plug-ins not built: build the vardel_test_plugins target";
    CParameterBlock block;
    ASSERT_TRUE(ReadParameterBlockFromFile(file.string(), block));
    const auto sliders = SliderLayout(block);
    // Maps 0 and 1 and controls 0, 1, 2 and 7 are in use.
    const bool visible[] = {true, true, true, true, false, false, false, true};
    const char* labels[] = {"Control 0", "Control 1", "Control 2", "Map 1", "", "", "", "Control 7"};
    const int values[] = {10, 20, 30, 40, 50, 60, 70, 128};
    for (std::size_t i = 0; i < 8; ++i) {
        EXPECT_EQ(sliders[i].visible, visible[i]) << i;
        EXPECT_EQ(sliders[i].label, labels[i]) << i;
        EXPECT_EQ(sliders[i].value, values[i]) << i;
    }
}

TEST(SliderLayoutTest, RandomizeDrawsOnlyForSlidersInUse)
{
    CParameterBlock block = Labelled();
    block.SetControlInUse(0, true);
    block.SetMapInUse(2, true);  // sliders 4 and 5
    const int draws[] = {300, -1, 255};
    int calls = 0;
    Randomize(block, [&] { return draws[calls++]; });
    EXPECT_EQ(calls, 3);
    EXPECT_EQ(block.GetSlider(0), 44);
    EXPECT_EQ(block.GetSlider(4), 255);
    EXPECT_EQ(block.GetSlider(5), 255);
    for (int i : {1, 2, 3, 6, 7})
        EXPECT_EQ(block.GetSlider(i), 100 + i) << i;
}

TEST(SliderLayoutTest, ResetTakesTheFileValuesOfSlidersInUse)
{
    CParameterBlock fromFile = Labelled();
    fromFile.SetControlInUse(1, true);
    fromFile.SetMapInUse(3, true);  // sliders 6 and 7
    CParameterBlock shown = fromFile;
    for (int i = 0; i < 8; ++i)
        shown.SetSlider(i, 7);
    Reset(shown, fromFile);
    for (int i = 0; i < 8; ++i) {
        const bool used = i == 1 || i == 6 || i == 7;
        EXPECT_EQ(shown.GetSlider(i), used ? 100 + i : 7) << i;
    }
}

}  // namespace
}  // namespace vardel::test

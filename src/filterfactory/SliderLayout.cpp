#include "filterfactory/SliderLayout.h"

#include "filterfactory/ParameterBlock.h"

namespace vardel {

bool IsSliderInUse(const CParameterBlock& block, int i)
{
    if (i < 0 || i >= CParameterBlock::kSliderCount)
        return false;
    return block.IsControlInUse(i) || block.IsMapInUse(i / 2);
}

std::array<SliderState, 8> SliderLayout(const CParameterBlock& block)
{
    std::array<SliderState, 8> sliders;
    for (int i = 0; i < CParameterBlock::kSliderCount; ++i) {
        SliderState& s = sliders[static_cast<std::size_t>(i)];
        s.value = block.GetSlider(i);
        if (block.IsControlInUse(i)) {
            s.visible = true;
            s.label = block.GetControlLabel(i);
        } else if (block.IsMapInUse(i / 2)) {
            // A map is drawn with both sliders of its pair and named once.
            s.visible = true;
            s.label = i % 2 == 1 ? block.GetMapLabel(i / 2) : std::string();
        }
    }
    return sliders;
}

void Randomize(CParameterBlock& block, const std::function<int()>& nextRandom)
{
    for (int i = 0; i < CParameterBlock::kSliderCount; ++i) {
        if (!IsSliderInUse(block, i))
            continue;
        const int value = nextRandom() % 256;
        block.SetSlider(i, value < 0 ? value + 256 : value);
    }
}

void Reset(CParameterBlock& shown, const CParameterBlock& fromFile)
{
    for (int i = 0; i < CParameterBlock::kSliderCount; ++i)
        if (IsSliderInUse(shown, i))
            shown.SetSlider(i, fromFile.GetSlider(i));
}

}  // namespace vardel

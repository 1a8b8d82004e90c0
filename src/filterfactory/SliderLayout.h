#pragma once
// The eight sliders of the Filter Factory preview page, computed from a
// parameter block without any window: which are shown, with which label and
// value, and the Randomize and Reset buttons' rules.

#include <array>
#include <functional>
#include <string>

namespace vardel {

class CParameterBlock;

struct SliderState {
    bool visible = false;  // hidden sliders hide their label and value too
    std::string label;     // the control's label, or the map's on the pair's second slider
    int value = 0;         // the block's value, as stored
};

// True when slider i (0..7) is in use: control i or map i/2 is in use.
// False for an index outside 0..7.
bool IsSliderInUse(const CParameterBlock& block, int i);

// The eight sliders, slider 0 first. A slider whose control is in use shows
// the control's label; otherwise, when its map is in use, the second slider
// of the pair shows the map's label and the first none. Never fails.
std::array<SliderState, 8> SliderLayout(const CParameterBlock& block);

// "Randomize": every slider in use gets nextRandom() mod 256 (a negative
// number is taken mod 256 into 0..255 too); sliders not in use keep their
// values and draw no number.
void Randomize(CParameterBlock& block, const std::function<int()>& nextRandom);

// "Reset": every slider in use in the block shown gets the value stored in
// the block read again from the file; the others keep theirs.
void Reset(CParameterBlock& shown, const CParameterBlock& fromFile);

}  // namespace vardel

// The preview's steps on bitmaps: target size, scaling down, the
// destination at the source's size and the checkerboard background.

#include "filterfactory/FilterRenderer.h"

#include "images/DIB.h"

#include <algorithm>

namespace vardel {

PixelView CFilterRenderer::ViewOf(const COXDIB& bitmap)
{
    PixelView view;
    const int bits = bitmap.GetBitCount();
    if (bitmap.IsEmpty() || bits < 8 || bits % 8 != 0)
        return view;
    view.bits = const_cast<std::uint8_t*>(bitmap.GetBits());
    view.width = bitmap.GetWidth();
    view.height = bitmap.GetHeight();
    view.bytesPerPixel = bits / 8;
    view.stride = bitmap.GetStride();
    return view;
}

RenderResult CFilterRenderer::Render(const COXDIB& source, COXDIB& destination, const FilterSettings& settings)
{
    const int bits = source.GetBitCount();
    if (bits != 24 && bits != 32) {
        RenderResult result;
        result.outcome = RenderOutcome::UnsupportedDepth;
        result.seed = settings.seed;
        return result;
    }
    // Recreated at the source's size and depth; starting from the source's
    // pixels keeps the fourth byte of 32-bit pixels.
    if (destination.GetSize() != source.GetSize() || destination.GetBitCount() != bits)
        destination.Copy(source);

    COXDIB background;
    const bool withBackground = settings.transparency && background.Create(24, source.GetWidth(), source.GetHeight()) &&
                                background.FillCheckerboard(0xFFFFFF, 0xC0C0C0, 10);
    const PixelView backgroundView = ViewOf(background);
    return Run(ViewOf(source), ViewOf(destination), withBackground ? &backgroundView : nullptr, settings);
}

void CFilterRenderer::TargetSize(int mode, int clientWidth, int clientHeight, int sampleWidth, int sampleHeight,
                                 int& width, int& height)
{
    switch (mode) {
    case 0:
        width = clientWidth;
        height = clientHeight;
        break;
    case 1:
        width = clientWidth * 75 / 100;
        height = clientHeight * 75 / 100;
        break;
    case 2:
        width = clientWidth / 2;
        height = clientHeight / 2;
        break;
    default:
        width = sampleWidth;
        height = sampleHeight;
        break;
    }
}

bool CFilterRenderer::FitToTarget(COXDIB& sample, int targetWidth, int targetHeight)
{
    const int width = sample.GetWidth();
    const int height = sample.GetHeight();
    if (width <= targetWidth && height <= targetHeight)
        return true;
    // A window with no area still gets a one-pixel picture rather than a
    // division by zero.
    targetWidth = std::max(targetWidth, 1);
    targetHeight = std::max(targetHeight, 1);
    const double factor =
        std::max(static_cast<double>(width) / targetWidth, static_cast<double>(height) / targetHeight);
    const int newWidth = std::max(1, static_cast<int>(width / factor));
    const int newHeight = std::max(1, static_cast<int>(height / factor));
    return sample.Resize(newWidth, newHeight);
}

}  // namespace vardel

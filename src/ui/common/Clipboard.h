#pragma once
// The clipboard as the program uses it: pictures only. Pictures go out as
// images (Qt offers them to other programs as BMP/DIB and PNG) and come in
// as the core's packed 24-bit bitmaps. A picture of any depth that Qt can
// read is converted to 24 bits on the way in (an alpha channel is dropped),
// so a 32-bit screenshot placed there by another program can be stored.

#include <cstdint>
#include <vector>

namespace vardel {
class COXDIB;
}

namespace vardel::ui {

class CClipboard {
public:
    // True while the clipboard holds a picture.
    static bool hasImage();
    // The clipboard's picture as a 24-bit bitmap; false (bitmap unchanged)
    // when it holds none or the bitmap cannot be made.
    static bool getImage(COXDIB& bitmap);
    // The clipboard's picture as a packed 24-bit bitmap (the layout the image
    // store's AddImage takes); empty when it holds none.
    static std::vector<std::uint8_t> getPackedImage();
    // Puts a copy of the bitmap on the clipboard; false for an empty bitmap
    // or one that cannot be shown.
    static bool setImage(const COXDIB& bitmap);
};

}  // namespace vardel::ui

#pragma once
// The tint of the first-visit page panel, derived from the dialog's face colour so it suits the
// desktop's colours: red r - 10, green r - 20 (both from the face's red, at least 0), blue 200
// when the face's blue is 255, else blue + 20 (at most 255).
#include <algorithm>

struct PanelTint {
    int red = 0, green = 0, blue = 0;

    static PanelTint FromFace(int red, int /*green*/, int blue) {
        return {std::max(red - 10, 0), std::max(red - 20, 0),
                blue == 255 ? 200 : std::min(blue + 20, 255)};
    }
};

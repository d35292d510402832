#pragma once
#include <windows.h>

namespace horalux {

// The Japanese Gothic faces of the screen, falling back to what the system
// has (IPA fonts under Wine) so that Japanese text is always readable.
// `pixel_height` is in 96-dpi pixels, drawn at `dpi`.
HFONT CreateGothicFont(int pixel_height, bool fixed_pitch, int dpi);
// The Japanese Mincho (serif) face, the same way.
HFONT CreateMinchoFont(int pixel_height, int dpi);

}  // namespace horalux

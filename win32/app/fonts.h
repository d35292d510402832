#pragma once
#include <windows.h>

namespace horalux {

// The Japanese Gothic faces of the screen, falling back to what the system
// has (IPA fonts under Wine) so that Japanese text is always readable.
HFONT CreateGothicFont(int pixel_height, bool fixed_pitch);

}  // namespace horalux

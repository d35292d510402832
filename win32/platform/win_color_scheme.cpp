#include "win32/platform/win_color_scheme.h"

#include <windows.h>

namespace horalux {

bool WinColorScheme::high_contrast() {
  HIGHCONTRASTW hc{};
  hc.cbSize = sizeof hc;
  return SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof hc, &hc, 0) &&
         (hc.dwFlags & HCF_HIGHCONTRASTON) != 0;
}

}  // namespace horalux

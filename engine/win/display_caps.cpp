#include "display_caps.h"

#include "win/gdi_owners.h"

namespace wmf {

int DisplayBitsPerPixel() {
  const win::DcOwner display(CreateDCW(L"DISPLAY", nullptr, nullptr, nullptr));
  return display ? GetDeviceCaps(display.Get(), BITSPIXEL) : 0;
}

}  // namespace wmf

// A picture exactly as it was taken from the clipboard: its clipboard format
// and its bytes together, with what that format keeps beside the bytes, so
// that it can be put back as it came.
#pragma once

#include <cstdint>
#include <vector>

#include "metafile.h"

#include <windows.h>

struct CapturedOriginal {
  UINT format = CF_METAFILEPICT;
  std::vector<uint8_t> bytes;  // the metafile's bits (CF_ENHMETAFILE: the enhanced metafile's)
  wmf::MetafilePict pict;      // CF_METAFILEPICT: the record's mapping mode and size
};

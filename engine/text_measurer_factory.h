// The text measurer of the platform the engine runs on.
#pragma once

#include <memory>

#include "text_measurer.h"

namespace wmf {

std::unique_ptr<TextMeasurer> MakeTextMeasurer();

}  // namespace wmf

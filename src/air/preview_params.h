// The show parameters of the page the on-air preview plays next: the sequence editor previews an
// item (and lets the page editor play it) with the item's own parameters; without any the air
// frame's default record applies.
#pragma once

#include <optional>

#include "air/show_params.h"

namespace air {

void SetPreviewShowParams(std::optional<ShowParams> params);
// nullptr when none were set.
const ShowParams* PreviewShowParams();

}  // namespace air

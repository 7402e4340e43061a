#include "air/preview_params.h"

namespace air {

namespace {
std::optional<ShowParams>& pending() {
    static std::optional<ShowParams> p;
    return p;
}
}  // namespace

void SetPreviewShowParams(std::optional<ShowParams> params) { pending() = params; }

const ShowParams* PreviewShowParams() { return pending() ? &*pending() : nullptr; }

}  // namespace air

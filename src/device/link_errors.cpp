#include "device/link_errors.h"

#include "app/strings.h"

namespace device {

std::string LinkErrorText(int error) {
    if (error < LINK_NO_DRIVER || error > LINK_LPT_UNSUPPORTED) return {};
    return app::LoadString(kLinkErrorStringBase + error);
}

}  // namespace device

#include "app/Display.h"

#include <cstdlib>

namespace kvmt {

bool displayAvailable()
{
    const auto set = [](const char *name) {
        const char *value = std::getenv(name);
        return value && *value;
    };
    return set("DISPLAY") || set("WAYLAND_DISPLAY") || set("QT_QPA_PLATFORM");
}

} // namespace kvmt

#include "log/EventLog.h"

namespace kvmt {

namespace {
constexpr quint32 rgb(quint32 r, quint32 g, quint32 b)
{
    return 0xFF000000u | (r << 16) | (g << 8) | b;
}
} // namespace

quint32 logColour(int kind)
{
    switch (kind) {
    case LogError:
        return rgb(255, 0, 0);
    case LogSuccess:
        return rgb(0, 128, 0);
    case LogNotice:
        return rgb(0, 0, 255);
    default:
        return rgb(0, 0, 0);
    }
}

const char *logKindName(int kind)
{
    switch (kind) {
    case LogError:
        return "error";
    case LogSuccess:
        return "success";
    case LogNotice:
        return "notice";
    default:
        return "plain";
    }
}

} // namespace kvmt

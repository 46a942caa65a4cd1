#include "shell/ProgramVersion.h"

#include <vector>

#include <windows.h>

namespace kvmt {

ProgramVersion programVersion()
{
    // A program built without its resources (the test programs) keeps the
    // numbers it was compiled with.
    const ProgramVersion compiled{KVMT_VERSION_MAJOR, KVMT_VERSION_MINOR};
    std::vector<wchar_t> path(MAX_PATH);
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0)
            return compiled;
        if (length < path.size())
            break;
        path.resize(path.size() * 2);
    }
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(path.data(), &ignored);
    if (size == 0)
        return compiled;
    std::vector<char> info(size);
    if (!GetFileVersionInfoW(path.data(), 0, size, info.data()))
        return compiled;
    VS_FIXEDFILEINFO *fixed = nullptr;
    UINT fixedSize = 0;
    if (!VerQueryValueW(info.data(), L"\\", reinterpret_cast<void **>(&fixed), &fixedSize) || !fixed
        || fixedSize < sizeof(VS_FIXEDFILEINFO) || fixed->dwSignature != 0xFEEF04BD)
        return compiled;
    return {static_cast<int>(HIWORD(fixed->dwFileVersionMS)), static_cast<int>(LOWORD(fixed->dwFileVersionMS))};
}

} // namespace kvmt

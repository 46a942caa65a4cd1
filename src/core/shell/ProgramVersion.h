#pragma once

namespace kvmt {

struct ProgramVersion
{
    int major = 0;
    int minor = 0;
};

// The running program's version, as the caption shows it. On Windows it is
// read from the program's own version resource, so that the caption and the
// file's properties cannot disagree.
ProgramVersion programVersion();

} // namespace kvmt

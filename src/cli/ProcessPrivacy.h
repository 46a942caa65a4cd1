#pragma once

#include <QString>

namespace kvmt {

// What the tool does to keep a tracker's password to itself, one file per
// platform beside this header.

// From now to the end of the run the process leaves no core dump (and, where
// the system ties the two, cannot be inspected by other processes of the
// same user): its memory holds a password.
void keepOutOfCoreDumps();

// Whether users other than the file's owner may read it. False where the
// platform has no such mode bits to tell.
bool readableByOthers(const QString &path);

} // namespace kvmt

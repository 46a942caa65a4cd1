#pragma once

namespace kvmt {

// Whether the window can be shown at all. Without a display Qt would abort
// with a platform-plugin error; main() says what is wrong and what works
// instead.
bool displayAvailable();

} // namespace kvmt

# Installation layout and the Debian packages (CPack, DEB generator).
include(GNUInstallDirs)

#include "ui/pages/SettingsPages.h"

namespace kvmt {

// The pages are filled as their controls are built.
void buildProfilesPage(QWidget *) {}
void buildSummaryPage(QWidget *) {}
void buildGsmPage(QWidget *) {}
void buildSmsPage(QWidget *) {}
void buildServerPage(QWidget *) {}
void buildMailPage(QWidget *) {}
void buildAccelerometerPage(QWidget *) {}
void buildSecurityPage(QWidget *) {}
void buildControlZonePage(QWidget *) {}
void buildMiscPage(QWidget *) {}

} // namespace kvmt

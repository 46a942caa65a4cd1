#pragma once

class QWidget;

namespace kvmt {

// Builders of the window's pages: each fills an empty page with its
// controls, every control named as the settings model names its member.
void buildProfilesPage(QWidget *page);
void buildSummaryPage(QWidget *page);
void buildGsmPage(QWidget *page);
void buildSmsPage(QWidget *page);
void buildServerPage(QWidget *page);
void buildMailPage(QWidget *page);
void buildAccelerometerPage(QWidget *page);
void buildSecurityPage(QWidget *page);
void buildControlZonePage(QWidget *page);
void buildMiscPage(QWidget *page);

} // namespace kvmt

#pragma once
#include <QIcon>
#include <QPixmap>

namespace p25 {

// The program's own pictures, drawn at run time: the window icon (a handheld radio with an update
// badge) and the logo that fills the status area while no update runs.
inline constexpr int kLogoWidth = 244;
inline constexpr int kLogoHeight = 61;

QPixmap ProgramIconPixmap(int size);
QIcon ProgramIcon();
QPixmap LogoPixmap();

}  // namespace p25

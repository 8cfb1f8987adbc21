#pragma once

#include <QIcon>
#include <QImage>

// The pictures of the small windows, painted at start-up: A (500 x 340) the
// banner above the references and credits, for the welcome and about
// windows; B (500 x 396) the banner above the disclaimer.
QImage WelcomePicture();
QImage DisclaimerPicture();

inline constexpr int kPictureWidth = 500;
inline constexpr int kWelcomePictureHeight = 340;
inline constexpr int kDisclaimerPictureHeight = 396;

// The program's icon: the astigmatism ellipse on the banner's blue.
QIcon ProgramIcon();

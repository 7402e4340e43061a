// The demo's content wizards' work: a font made by the font maker from pictures drawn from
// DejaVu, a looping "LIVE" badge drawn as TGA pictures with a list and converted into a banner, a
// countdown clip written as an MJPEG AVI and converted too, and the page that shows the badge in
// the corner of the picture. Drawn and converted here, so every run gives the same files.
#pragma once

#include <string>
#include <vector>

#include "pages/bitmap32.h"

namespace pages {
class CPageDoc;
}

namespace demo {

constexpr char kHeadlineFont[] = "Headline";  // Fonts/Headline.bmf
constexpr char kFontPictures[] = "Pictures/Font maker/";
constexpr char kBannerPictures[] = "Pictures/Banner/";
constexpr char kLiveBadge[] = "Banners/Live badge.zxa";
constexpr char kCountdown[] = "Banners/Countdown.zxa";
constexpr char kCountdownClip[] = "Pictures/Banner/Countdown.avi";
constexpr char kLiveCornerPage[] = "Live corner.zxg";  // below the Pages folder

constexpr int kBadgeFrames = 25, kBadgeWidth = 168, kBadgeHeight = 56;
constexpr int kCountdownFrames = 50, kCountdownWidth = 160, kCountdownHeight = 96;

// The four pictures of the Headline font's characters (on white, on black, shadows on white, on
// black) and its letters, drawn with DejaVu Sans Bold from fontFolder.
bool DrawHeadlinePictures(const std::string& fontFolder, std::vector<pages::CBitmap32>& pictures, std::string& letters,
                          std::string& error);
// Frame i of the LIVE badge (a light sweep, a pulsing dot, transparent around it).
pages::CBitmap32 DrawLiveBadge(int i, const std::string& fontFolder);
// Frame i of the countdown clip.
pages::CBitmap32 DrawCountdown(int i, const std::string& fontFolder);

// Writes the Headline pictures and letters, makes Fonts/Headline.bmf with the font maker.
bool WriteDemoFont(const std::string& root, const std::string& fontFolder, std::vector<std::string>& files,
                   std::string& error);
// Writes the badge's pictures and list and the countdown clip, and converts both into banners.
bool WriteDemoBanners(const std::string& root, const std::string& fontFolder, std::vector<std::string>& files,
                      std::string& error);
// The Live corner page: the badge linked into a frame at the top right, a headline below it.
bool BuildLiveCornerPage(pages::CPageDoc& page, const std::string& bannerPath, std::string& error);

}  // namespace demo

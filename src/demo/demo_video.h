// The demo's MPEG clips and playlists: four short MPEG-2 clips drawn with the program's own
// bitmaps and its Headline font (the clip's name and a timecode on each picture), the clip
// catalogue, the "Evening news" video playlist for two boards and the air playlist it converts
// into. Deterministic: every run writes the same bytes.
#pragma once

#include <string>
#include <vector>

namespace demo {

inline constexpr char kTestClip[] = "Video/test.mpg";          // colour bars, for "Check"
inline constexpr char kOpenerClip[] = "Video/opener.mpg";      // its length is probed
inline constexpr char kWeatherClip[] = "Video/weather_8.mpg";  // 8 s by its name, and really
inline constexpr char kStingClip[] = "Video/sting_1500ms.mpg";
inline constexpr char kEveningNews[] = "Video/Evening news.vid";
inline constexpr char kEveningNewsAir[] = "Video/Evening news.zxp";
inline constexpr int kDemoBoards = 2;

// Writes the clips, Video/video.dat, the video playlist and its air playlist below root (with
// Fonts/Headline.bmf made already); false with the reason in error.
bool WriteDemoVideo(const std::string& root, std::vector<std::string>& files, std::string& error);

}  // namespace demo

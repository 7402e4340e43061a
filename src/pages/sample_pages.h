// Sample pages built in code: typical work of an operator, for trying the renderer from the
// command line, for the benchmarks and for the tests.
#pragma once

#include <string>
#include <vector>

#include "pages/bitmap32.h"

namespace pages {

class CPageDoc;

enum class SamplePage {
    Text,        // a full-screen frame of text on a tinted panel
    LowerThird,  // a name caption and a news crawl (Scroller) on a transparent page
    Picture,     // a background picture with a title
    Roll,        // credits rolling up over a dark panel
};

// "text", "lower-third", "picture", "roll".
std::vector<std::string> SamplePageNames();
bool SamplePageByName(const std::string& name, SamplePage& out);

// Replaces the page's contents with a sample whose text runs in the named font (installed in
// the page's font list; a monochrome font is tinted).
void BuildSamplePage(CPageDoc& page, SamplePage kind, const std::string& font);

// A colourful 720 × 576 picture (gradients and discs), opaque.
CBitmap32 SamplePicture(int32_t width = 720, int32_t height = 576);

}  // namespace pages

#pragma once
// Renders the window as the embedded package opens it (build mode for the
// template) and saves it as a PNG file. Message boxes are answered on the
// console: No to questions, OK to the rest.

namespace cdflash::qtui::test {

// Returns 0 when the image was written.
int GrabWindow(int argc, char** argv, const char* pngPath);

}  // namespace cdflash::qtui::test

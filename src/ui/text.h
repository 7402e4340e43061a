// The edge between the program's 8-bit texts and Qt's Unicode strings.
#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace platform {
class CodePage;
}

namespace ui {

// The code page used for program texts (from [Start] CodePage; 1251 until set).
void SetProgramCodePage(int number);
const platform::CodePage& ProgramCodePage();

QString FromProgramText(std::string_view text);
std::string ToProgramText(const QString& text);

// A file name between the file system's bytes and Qt (the locale's encoding, as QFile does).
QString FromFilePath(const std::string& path);
std::string ToFilePath(const QString& path);

}  // namespace ui

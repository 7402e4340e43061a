// A folder of its own for one test, removed afterwards.
#pragma once

#include <string>

namespace zxtest {

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    // The folder, ending in '/'.
    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + name; }

private:
    std::string path_;
};

// Writes a file (creating folders); returns false on failure.
bool WriteText(const std::string& path, const std::string& text);
std::string ReadText(const std::string& path);

}  // namespace zxtest

// A ByteReader over a file: the same bounds-checked reads, with the file's size as the end.
// Reads go through a buffer; skipping and seeking only move the position, and large blocks go
// straight from the file to their place, so a reader that wants one part of a large file (the
// Device data of a page, the head of a banner) never reads the rest.
#pragma once

#include <string>
#include <vector>

#include "platform/bytes.h"

namespace platform {

class FileReader : public ByteReader {
public:
    // readAhead: how much one read from the file brings in at least. A reader that wants only a
    // file's head says how long the head is; blocks of this size or more skip the buffer.
    static constexpr size_t kDefaultReadAhead = 65536;

    explicit FileReader(size_t readAhead = kDefaultReadAhead) : readAhead_(readAhead ? readAhead : 1) {
        fail();  // nothing to read until a file is open
    }
    explicit FileReader(const std::string& path, size_t readAhead = kDefaultReadAhead) : FileReader(readAhead) {
        open(path);
    }
    ~FileReader() override;
    FileReader(const FileReader&) = delete;
    FileReader& operator=(const FileReader&) = delete;

    // Opens a regular file. False (and a failed reader) when it cannot be opened or is not a
    // regular file: a pipe or device given a file's name never blocks the reader.
    bool open(const std::string& path);
    bool isOpen() const { return fd_ >= 0; }
    void close();

protected:
    bool refill(size_t n) override;
    bool readInto(void* dst, size_t n) override;

private:
    // Exactly n bytes at offset; false on a read error or a file cut short meanwhile.
    bool readAt(uint8_t* dst, size_t n, size_t offset);

    size_t readAhead_;
    int fd_ = -1;
    std::vector<uint8_t> buf_;
};

}  // namespace platform

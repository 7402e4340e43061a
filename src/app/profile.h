// The settings file (INI) with the behaviour of the system's private-profile functions:
// sections and keys match case-insensitively, integers parse as the profile integer reader
// does, records are stored as hex bytes plus a checksum byte, and everything else in the file
// (other sections and keys, comments, blank lines) is kept. Every change is saved at once,
// atomically.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace app {

class Profile {
public:
    Profile() = default;
    // Loads the file (a missing file is an empty profile; it is created at the first write).
    explicit Profile(std::string path);

    void open(std::string path);
    const std::string& path() const { return path_; }

    // The value of a key (quotes around the value removed), or def when the key is missing.
    std::string getString(std::string_view section, std::string_view key, std::string_view def = {}) const;
    // The integer of a key: missing or empty gives def; otherwise leading blanks, a sign, an
    // optional 0x/0o/0b prefix and digits up to the first other character (none gives 0).
    int getInt(std::string_view section, std::string_view key, int def) const;
    // Reads a record stored by putStruct. False (and data untouched) when the key is missing or
    // its length or checksum does not match size.
    bool getStruct(std::string_view section, std::string_view key, void* data, size_t size) const;

    bool hasKey(std::string_view section, std::string_view key) const;
    std::vector<std::string> keys(std::string_view section) const;
    std::vector<std::string> sections() const;

    // Writes and saves; false when the file could not be written (the value is kept in memory).
    bool putString(std::string_view section, std::string_view key, std::string_view value);
    bool putInt(std::string_view section, std::string_view key, int value);
    bool putStruct(std::string_view section, std::string_view key, const void* data, size_t size);
    bool removeKey(std::string_view section, std::string_view key);
    bool removeSection(std::string_view section);

    // Groups several writes into one save of the file (nestable; the outermost end saves).
    class Batch {
    public:
        explicit Batch(Profile& p) : p_(p) { p_.beginBatch(); }
        ~Batch() { p_.endBatch(); }
        Batch(const Batch&) = delete;
        Batch& operator=(const Batch&) = delete;

    private:
        Profile& p_;
    };
    void beginBatch();
    bool endBatch();

    // Parses an integer as getInt does (exposed for tests and other readers of INI-like text).
    static int ParseInt(std::string_view text, int def);
    // The stored form of a record: upper-case hex of each byte, then the 8-bit sum of the bytes.
    static std::string EncodeStruct(const void* data, size_t size);
    static bool DecodeStruct(std::string_view text, void* data, size_t size);

    // The whole file as it would be written.
    std::string text() const;

private:
    struct Line {
        std::string raw;  // the line as read (for comments and blank lines)
        std::string key;  // empty for non-key lines
        std::string value;
        bool isSection = false;
        std::string section;  // for section headers: the name
    };
    void parse(std::string_view text);
    bool save();
    std::string render() const;
    // Index of the section header, or -1.
    int findSection(std::string_view section) const;
    // Index of the key line, or -1.
    int findKey(std::string_view section, std::string_view key) const;
    int sectionEnd(int header) const;  // index after the section's last line

    mutable std::mutex m_;
    std::string path_;
    std::vector<Line> lines_;
    std::string eol_ = "\n";
    int batch_ = 0;
    bool dirty_ = false;
};

}  // namespace app

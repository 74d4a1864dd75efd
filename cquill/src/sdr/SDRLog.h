#pragma once
#include <atomic>
#include <string>

namespace quill::sdr {

// The directory lookup's own diagnostic log: raw bytes appended to one file, only
// when the configured level is "Info" (4). Off until InitialSDR configures it.
class SDRLog {
public:
    virtual ~SDRLog() = default;

    void Write(const char* text);
    void Write(const std::string& text);
    void Configure(const std::wstring& path, int level);
    int Level() const { return level_; }

private:
    void Append(const char* bytes, std::size_t count);

    std::atomic<int> level_{0};
    std::wstring path_;
};

// The single writer every part of the lookup uses.
SDRLog& DirectoryLog();

// "SDR" / "LOG_LEVEL" of the configuration file mapped to 0..4 ("Info" is 4).
int ReadLevel(const std::wstring& configPath);
// The executable's folder with its trailing '/'.
std::wstring GetModuleDirectory();
// Appends under the process-wide log lock; true when every byte was written.
bool AppendToFile(const std::wstring& path, const char* bytes, std::size_t count);
// Points the log at "log/SDR.log" beside the executable and reads its level.
void InitialiseDirectoryLog();

}  // namespace quill::sdr

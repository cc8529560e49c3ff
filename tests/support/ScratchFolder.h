#pragma once

#include <filesystem>
#include <fstream>
#include <random>
#include <string>

// A folder of the test's own below the system's temporary folder, removed
// with all it holds when it goes. Names are UTF-8, as the program gives them.
class ScratchFolder {
public:
    ScratchFolder()
        : path_(std::filesystem::temp_directory_path() / ("korvel-" + std::to_string(std::random_device{}())))
    {
        std::filesystem::create_directories(path_);
    }
    ~ScratchFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::string path(const std::string& name) const { return (path_ / std::filesystem::u8path(name)).u8string(); }
    // Writes the file and gives its path.
    std::string write(const std::string& name, const std::string& content) const
    {
        std::ofstream(path_ / std::filesystem::u8path(name), std::ios::binary) << content;
        return path(name);
    }

private:
    std::filesystem::path path_;
};

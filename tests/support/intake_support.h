// Helpers for tests of the import stages: an import object built as the
// table hook builds it, and scratch directories with order files.
#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "intake/position_record.h"
#include "shell/kolektor.h"

// An import object, constructed and destroyed in the host's order.
class ImportObject {
public:
    ImportObject() { ConstructKolektor(&object_, &built_); }
    ~ImportObject() { DestroyKolektor(&object_, &built_); }
    ImportObject(const ImportObject&) = delete;
    ImportObject& operator=(const ImportObject&) = delete;

    CKolektor* operator->() { return &object_; }
    CKolektor* get() { return &object_; }
    void SetDirectory(const std::string& directory) {
        directory.copy(object_.directory, sizeof object_.directory - 1);
        object_.directory[std::min(directory.size(), sizeof object_.directory - 1)] = 0;
    }
    std::vector<PositionRecord> Positions() const {
        std::vector<PositionRecord> out(object_.positionCount);
        if (!out.empty()) std::memcpy(out.data(), object_.positions, out.size() * sizeof(PositionRecord));
        return out;
    }

private:
    CKolektor object_;
    volatile KolektorBuilt built_ = KolektorBuilt::Nothing;
};

// A directory under the working directory, removed with everything in it.
class ScratchDirectory {
public:
    explicit ScratchDirectory(const std::string& name) : path_(std::filesystem::current_path() / name) {
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~ScratchDirectory() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

inline void WriteBytes(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string ReadBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

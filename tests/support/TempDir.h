#pragma once
// A fresh folder per test, removed with everything in it when the test ends,
// and whole-file helpers for building fixtures byte by byte.
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

class TempDir {
public:
  TempDir() {
    std::random_device Seed;
    for (;;) {
      FPath =
          std::filesystem::temp_directory_path() / ("quelbir-test-" + std::to_string(Seed()) + std::to_string(Seed()));
      if (std::filesystem::create_directory(FPath)) break;
    }
  }
  ~TempDir() {
    std::error_code Ignored;
    std::filesystem::permissions(FPath, std::filesystem::perms::owner_all, std::filesystem::perm_options::add, Ignored);
    std::filesystem::remove_all(FPath, Ignored);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& Path() const { return FPath; }
  std::string File(const std::string& Name) const { return (FPath / Name).string(); }

private:
  std::filesystem::path FPath;
};

inline void WriteFileBytes(const std::string& FileName, const std::vector<uint8_t>& Bytes) {
  std::ofstream Out(FileName, std::ios::binary | std::ios::trunc);
  Out.write(reinterpret_cast<const char*>(Bytes.data()), std::streamsize(Bytes.size()));
}

inline std::vector<uint8_t> ReadFileBytes(const std::string& FileName) {
  std::ifstream In(FileName, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(In), std::istreambuf_iterator<char>());
}

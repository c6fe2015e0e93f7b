// A fresh folder for one test, removed afterwards.
#pragma once

#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include <gtest/gtest.h>

namespace vistelle::testing {

class TestDir {
 public:
  TestDir() {
    std::random_device rd;
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = info ? std::string(info->test_suite_name()) + "_" + info->name() : "test";
    for (char& c : name)
      if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    path_ = std::filesystem::temp_directory_path() / ("vistelle_" + name + "_" + std::to_string(rd()));
    std::filesystem::create_directories(path_);
  }
  ~TestDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  TestDir(const TestDir&) = delete;
  TestDir& operator=(const TestDir&) = delete;

  // Paths are UTF-8 throughout the program; std::filesystem would read
  // narrow strings in the C runtime's code page on Windows.
  std::string Path() const { return path_.u8string(); }
  std::string File(const std::string& name) const { return (path_ / std::filesystem::u8path(name)).u8string(); }

  void Write(const std::string& name, const std::string& bytes) const {
    std::ofstream f(path_ / std::filesystem::u8path(name), std::ios::binary);
    f << bytes;
  }
  std::string Read(const std::string& name) const {
    std::ifstream f(path_ / std::filesystem::u8path(name), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
  }

 private:
  std::filesystem::path path_;
};

}  // namespace vistelle::testing

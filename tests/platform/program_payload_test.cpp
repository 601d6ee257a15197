#include "platform/program_payload.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>

namespace {

class ProgramPayloadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_path = (std::filesystem::temp_directory_path() / ("payload_" + std::to_string(getpid()))).string();
    std::ofstream(m_path, std::ios::binary) << std::string(5000, '\x7f');  // stands for the program
  }
  void TearDown() override { std::filesystem::remove(m_path); }

  // Overwrites bytes counted from the end of the file.
  void PatchFromEnd(std::size_t fromEnd, std::string_view bytes) {
    std::fstream f(m_path, std::ios::in | std::ios::out | std::ios::binary);
    f.seekp(-static_cast<std::streamoff>(fromEnd), std::ios::end);
    f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  }

  std::string m_path;
};

TEST_F(ProgramPayloadTest, RoundTripsAndIgnoresPlainPrograms) {
  EXPECT_FALSE(platform::ReadPayload(m_path)) << "a program without a trailer carries nothing";
  EXPECT_FALSE(platform::ReadPayload(m_path + ".missing"));
  const std::string puzzle = std::string("<puzzle-data>\r\n\0binary\xff", 24);
  ASSERT_TRUE(platform::AppendPayload(m_path, puzzle));
  EXPECT_EQ(platform::ReadPayload(m_path), puzzle);
  EXPECT_EQ(std::filesystem::file_size(m_path), 5000 + puzzle.size() + platform::kPayloadTrailerSize);
}

// A stranger's file may lie in its trailer; none of these may be believed,
// and none may make the reader allocate what the trailer claims.
TEST_F(ProgramPayloadTest, LyingTrailersAreRefused) {
  ASSERT_TRUE(platform::AppendPayload(m_path, "puzzle text"));
  char length[8];
  const std::uint64_t huge = 2ull << 30;  // 2 GB, far past the file
  std::memcpy(length, &huge, 8);
  PatchFromEnd(32, std::string_view(length, 8));
  EXPECT_FALSE(platform::ReadPayload(m_path)) << "length past the end";

  const std::uint64_t whole = 5000 + 11;  // inside the file, but wrong
  std::memcpy(length, &whole, 8);
  PatchFromEnd(32, std::string_view(length, 8));
  EXPECT_FALSE(platform::ReadPayload(m_path)) << "checksum of the wrong bytes";

  const std::uint64_t right = 11;
  std::memcpy(length, &right, 8);
  PatchFromEnd(32, std::string_view(length, 8));
  ASSERT_TRUE(platform::ReadPayload(m_path)) << "restored trailer reads again";
  PatchFromEnd(33, "X");  // one byte of the payload changed
  EXPECT_FALSE(platform::ReadPayload(m_path)) << "damaged payload";
  PatchFromEnd(1, "?");
  EXPECT_FALSE(platform::ReadPayload(m_path)) << "damaged magic";
}

}  // namespace

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "settings_test_support.h"
#include "whole_file.h"

namespace {

std::vector<uint8_t> Bytes(const std::string& text) { return std::vector<uint8_t>(text.begin(), text.end()); }

std::string Content(const std::filesystem::path& path) {
  std::wstring reason;
  const std::optional<std::vector<uint8_t>> bytes = ReadWholeFile(path, reason);
  return bytes ? std::string(bytes->begin(), bytes->end()) : "(unreadable: " + ToUtf8(reason) + ")";
}

// A file written in pieces, with a header put in its place at the end.
TEST(WholeFile, PiecesAreAppendedAndEarlierBytesReplacedInPlace) {
  settings_test::TempFolder folder;
  const std::filesystem::path path = folder.path() / "made.bin";
  const auto reason = ReplaceWholeFile(path, [](FileSink& file) {
    return file.Append(Bytes("....")) && file.Append(Bytes("body")) && file.Append(Bytes("!")) &&
           file.Overwrite(0, Bytes("HEAD")) && file.Append(Bytes("?"));
  });
  ASSERT_FALSE(reason.has_value()) << ToUtf8(*reason);
  EXPECT_EQ(Content(path), "HEADbody!?");

  ASSERT_FALSE(ReplaceWholeFile(path, {Bytes("one,"), Bytes("two")}).has_value());
  EXPECT_EQ(Content(path), "one,two");
}

// Content that could not be made leaves the file as it was and nothing else.
TEST(WholeFile, FailedContentLeavesTheFileAsItWas) {
  settings_test::TempFolder folder;
  const std::filesystem::path path = folder.path() / "kept.bin";
  ASSERT_FALSE(ReplaceWholeFile(path, {Bytes("kept")}).has_value());
  const auto reason = ReplaceWholeFile(path, [](FileSink& file) { return file.Append(Bytes("half")) && false; });
  ASSERT_TRUE(reason.has_value());
  EXPECT_FALSE(reason->empty());
  EXPECT_EQ(Content(path), "kept");
  std::filesystem::path partial = path;
  partial += ".partial";
  EXPECT_FALSE(std::filesystem::exists(partial));
}

}  // namespace

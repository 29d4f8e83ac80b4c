#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "wmf_file.h"
#include "wmf_record_kinds.h"
#include "wmfmend.h"

namespace {

namespace fs = std::filesystem;

const fs::path kCorpus = CLIPMEND_CORPUS_DIR;

struct Outcome {
  int code;
  std::string out, err;
};

Outcome Wmfmend(std::vector<std::string> args) {
  std::ostringstream out, err;
  const int code = RunWmfmend(args, out, err);
  return Outcome{code, out.str(), err.str()};
}

class WmfmendTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("wmfmend-test-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                                       "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  std::string Path(const std::string& name) const { return (dir_ / name).string(); }
  fs::path dir_;
};

std::vector<uint8_t> Bytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST_F(WmfmendTest, WritesAPlaceablePictureThatReadsBack) {
  const Outcome run = Wmfmend({(kCorpus / "cad-usa.wmf").string(), Path("out.wmf")});
  ASSERT_EQ(run.code, 0) << run.err;
  wmf::WmfPicture picture;
  std::string error;
  ASSERT_TRUE(wmf::ReadWmf(Bytes(Path("out.wmf")), picture, error)) << error;
  ASSERT_TRUE(picture.placeable.has_value());
  EXPECT_GT(picture.placeable->inch, 0);
  ASSERT_GE(picture.records.size(), 3u);
  EXPECT_EQ(picture.records[0].function, wmf::META_SETMAPMODE);
  EXPECT_EQ(picture.records[2].function, wmf::META_SETWINDOWEXT);
  EXPECT_EQ(picture.records[2].params[1], picture.placeable->right);
  EXPECT_EQ(picture.records[2].params[0], picture.placeable->bottom);
  EXPECT_FALSE(fs::exists(Path("out.wmf.wmfmend-partial")));
}

TEST_F(WmfmendTest, InfoDescribesThePicture) {
  const Outcome run = Wmfmend({"--info", "--set", "Crop=0", (kCorpus / "cad-usa.wmf").string()});
  ASSERT_EQ(run.code, 0) << run.err;
  for (const char* key : {"\"windowExt\":[", "\"extents\":[", "\"unitsPerInch\":", "\"palette\":4",
                          "\"backgroundColor\":", "\"records\":", "\"output\":{\"w\":", "\"unitsPerInchOut\":",
                          "\"xExt\":", "\"yExt\":", "\"status\":\"(size: "})
    EXPECT_NE(run.out.find(key), std::string::npos) << key << " in " << run.out;
}

TEST_F(WmfmendTest, OptionsSteerTheResult) {
  const Outcome metric = Wmfmend({"--info", "--set", "IsMetric=1", "--set", "Widthoptions=1", "--set", "PictureWidth=15",
                              (kCorpus / "libwmf-sample.wmf").string()});
  ASSERT_EQ(metric.code, 0) << metric.err;
  EXPECT_NE(metric.out.find("\"xExt\":15000"), std::string::npos) << metric.out;
  EXPECT_NE(metric.out.find("(size: 15.0 * "), std::string::npos) << metric.out;
  const Outcome intelli = Wmfmend({"--info", "--intellicad", (kCorpus / "libwmf-sample.wmf").string()});
  EXPECT_NE(intelli.out.find("\"palette\":8"), std::string::npos) << intelli.out;
  const Outcome lowColour = Wmfmend({"--info", "--display-bits", "8", (kCorpus / "libwmf-sample.wmf").string()});
  EXPECT_NE(lowColour.out.find("\"palette\":6"), std::string::npos) << lowColour.out;
}

TEST_F(WmfmendTest, StandardInputIsTakenAt1440UnitsPerInchUnlessToldOtherwise) {
  const std::string input = (kCorpus / "libwmf-p0000001.wmf").string();
  const Outcome plain = Wmfmend({"--info", input});
  EXPECT_NE(plain.out.find("\"unitsPerInch\":14"), std::string::npos) << plain.out;
  const Outcome told = Wmfmend({"--info", "--units-per-inch", "600", input});
  EXPECT_NE(told.out.find("\"unitsPerInch\":6"), std::string::npos) << told.out;
}

TEST_F(WmfmendTest, UsageErrorsNameWhatIsValid) {
  const struct {
    std::vector<std::string> args;
    const char* message;
  } cases[] = {
      {{"--set", "Colour=1", "a.wmf", "b.wmf"}, "unknown setting 'Colour'; the settings are Crop, Tilemode"},
      {{"--set", "Rotation=45", "a.wmf", "b.wmf"}, "invalid value '45' for Rotation: the valid values are 0, 90, 180 or 270"},
      {{"--set", "Percentage=0", "a.wmf", "b.wmf"}, "the valid values are a number greater than 0"},
      {{"--set", "Crop", "a.wmf", "b.wmf"}, "--set takes NAME=VALUE"},
      {{"--bogus", "a.wmf", "b.wmf"}, "unknown option '--bogus'"},
      {{"a.wmf"}, "give one input and one output file"},
      {{"--info", "a.wmf", "b.wmf"}, "--info takes one input file"},
      {{"--display-bits", "0", "a.wmf", "b.wmf"}, "--display-bits takes a whole number from 1 to 32"},
  };
  for (const auto& c : cases) {
    const Outcome run = Wmfmend(c.args);
    EXPECT_EQ(run.code, 2) << c.message;
    EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
  }
}

TEST_F(WmfmendTest, UnreadableInputFailsWithoutOutput) {
  const Outcome malformed = Wmfmend({(kCorpus / "malformed-poly-extreme.wmf").string(), Path("out.wmf")});
  EXPECT_EQ(malformed.code, 1);
  EXPECT_NE(malformed.err.find("is not a picture wmfmend can read: metafile header at byte 28"), std::string::npos)
      << malformed.err;
  const Outcome missing = Wmfmend({Path("absent.wmf"), Path("out.wmf")});
  EXPECT_EQ(missing.code, 1);
  EXPECT_NE(missing.err.find("cannot read"), std::string::npos);
  EXPECT_FALSE(fs::exists(Path("out.wmf")));
}

TEST_F(WmfmendTest, UnwritableOutputLeavesNothingBehind) {
  const Outcome run = Wmfmend({(kCorpus / "libwmf-sample.wmf").string(), Path("no-such-folder/out.wmf")});
  EXPECT_EQ(run.code, 1);
  EXPECT_NE(run.err.find("cannot write"), std::string::npos) << run.err;
  EXPECT_TRUE(fs::is_empty(dir_));
}

TEST_F(WmfmendTest, OptionsFileIsLoadedBeforeTheSettings) {
  {
    std::ofstream vf3(Path("SET.vf3"), std::ios::binary);
    vf3 << "[Options]\r\nWidthoptions=1\r\nPictureWidth=15.000000\r\n[Preferences]\r\nIsMetric=1\r\n";
  }
  const std::string input = (kCorpus / "libwmf-sample.wmf").string();
  const Outcome loaded = Wmfmend({"--info", "--options", Path("SET.vf3"), input});
  ASSERT_EQ(loaded.code, 0) << loaded.err;
  EXPECT_NE(loaded.out.find("\"xExt\":15000"), std::string::npos) << loaded.out;
  const Outcome overridden = Wmfmend({"--info", "--set", "PictureWidth=10", "--options", Path("SET.vf3"), input});
  ASSERT_EQ(overridden.code, 0) << overridden.err;
  EXPECT_NE(overridden.out.find("\"xExt\":10000"), std::string::npos) << overridden.out;
}

TEST_F(WmfmendTest, PlotterFileGivesThePenWidths) {
  {
    std::ofstream pc2(Path("plotter.PC2"), std::ios::binary);
    pc2 << "[Plotter/Device/WidthTable]\r\n";
    for (int k = 1; k <= 255; ++k) pc2 << "color" << k << "=0.05\r\n";
  }
  fs::copy_file(Path("plotter.PC2"), Path("settings.ini"));
  const std::string input = (kCorpus / "cad-usa.wmf").string();
  const Outcome plain = Wmfmend({"--set", "Lineoptions=3", input, Path("plain.wmf")});
  const Outcome pc2 = Wmfmend({"--set", "Lineoptions=3", "--options", Path("plotter.PC2"), input, Path("pc2.wmf")});
  const Outcome ini = Wmfmend({"--set", "Lineoptions=3", "--options", Path("settings.ini"), input, Path("ini.wmf")});
  ASSERT_EQ(plain.code + pc2.code + ini.code, 0) << plain.err << pc2.err << ini.err;
  EXPECT_NE(Bytes(Path("pc2.wmf")), Bytes(Path("plain.wmf")));
  EXPECT_EQ(Bytes(Path("ini.wmf")), Bytes(Path("pc2.wmf")));  // any ending but .VF3 is a plotter file
}

TEST_F(WmfmendTest, MissingOptionsFileIsAnError) {
  const Outcome run = Wmfmend({"--options", Path("absent.vf3"), (kCorpus / "libwmf-sample.wmf").string(), Path("out.wmf")});
  EXPECT_EQ(run.code, 1);
  EXPECT_NE(run.err.find("cannot read options file"), std::string::npos) << run.err;
  EXPECT_FALSE(fs::exists(Path("out.wmf")));
}

TEST_F(WmfmendTest, HelpListsEverySetting) {
  const Outcome run = Wmfmend({"--help"});
  EXPECT_EQ(run.code, 0);
  for (const char* text : {"--options FILE", "--units-per-inch", "--intellicad", "--display-bits", "Rotation: 0, 90, 180 or 270",
                           "DrawingScale: a number greater than 0", "Exit status"})
    EXPECT_NE(run.out.find(text), std::string::npos) << text;
}

}  // namespace

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "help_drawings.h"
#include "test_pictures.h"
#include "wmfrender.h"

namespace {

namespace fs = std::filesystem;

TEST(RenderJobTest, ReadsJobsAndRefusesWhatIsNoJob) {
  struct Case {
    const char* line;
    bool isJob;
    bool hasError;
  };
  const Case cases[] = {
      {"", false, false},
      {"   ", false, false},
      {"# a comment", false, false},
      {"a.bmp 360x300 cad-usa.wmf", true, false},
      {"a.bmp 360x300 cad-usa.wmf --as-is", true, false},
      {"a.bmp 360x300 cad-usa.wmf --set Rotation=90 --set Crop=0", true, false},
      {"a.bmp 360x300", false, true},
      {"a.bmp 360 cad-usa.wmf", false, true},
      {"a.bmp 0x300 cad-usa.wmf", false, true},
      {"a.bmp 360x300px cad-usa.wmf", false, true},
      {"a.bmp 9000x300 cad-usa.wmf", false, true},
  };
  for (const Case& c : cases) {
    std::string error;
    const std::optional<RenderJob> job = ParseRenderJob(c.line, error);
    EXPECT_EQ(job.has_value(), c.isJob) << c.line;
    EXPECT_EQ(!error.empty(), c.hasError) << c.line << ": " << error;
  }
  std::string error;
  const RenderJob rotated = *ParseRenderJob("a.bmp 360x300 cad-usa.wmf --set Rotation=90", error);
  EXPECT_EQ(rotated.maxWidth, 360);
  EXPECT_EQ(rotated.maxHeight, 300);
  EXPECT_EQ(rotated.input, "cad-usa.wmf");
  EXPECT_FALSE(rotated.asIs);
  EXPECT_EQ(rotated.options, (std::vector<std::string>{"--set", "Rotation=90"}));
  EXPECT_TRUE(ParseRenderJob("a.bmp 360x300 cad-usa.wmf --as-is", error)->asIs);
}

// Jobs on the help pages' drawings, and on a standard metafile without a
// frame, all written into a folder of the test's own.
class WmfrenderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("wmfrender-test-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(dir_);
    fs::create_directories(dir_ / "drawings");
    for (const help::HelpDrawing& drawing : help::HelpDrawings()) Write(dir_ / "drawings" / drawing.fileName, drawing.bytes);
    Write(dir_ / "drawings" / "standard.wmf",
          wmf::WriteWmf({wmf::test::WindowExt(100, 100), wmf::test::Rectangle(10, 10, 90, 90)}));
  }
  void TearDown() override { fs::remove_all(dir_); }
  static void Write(const fs::path& path, const std::vector<uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }
  int Run(const std::string& jobs, std::string& err) {
    std::ofstream(dir_ / "jobs.list") << jobs;
    std::ostringstream stream;
    const int code = RunWmfrender(dir_ / "jobs.list", dir_ / "drawings", dir_, stream);
    err = stream.str();
    return code;
  }
  fs::path dir_;
};

// Width, height and the share of dark pixels of a 24-bit BMP file.
struct Drawn {
  int width = 0, height = 0;
  double ink = 0;
};

Drawn Inspect(const fs::path& path) {
  const std::vector<uint8_t> bytes = wmf::test::FileBytes(path);
  Drawn drawn;
  if (bytes.size() < 54) return drawn;
  auto at32 = [&](size_t i) { return static_cast<int32_t>(bytes[i] | bytes[i + 1] << 8 | bytes[i + 2] << 16 | bytes[i + 3] << 24); };
  drawn.width = at32(18);
  drawn.height = at32(22);
  const size_t stride = (static_cast<size_t>(drawn.width) * 3 + 3) / 4 * 4;
  size_t dark = 0;
  for (int y = 0; y < drawn.height; ++y)
    for (int x = 0; x < drawn.width; ++x) {
      const uint8_t* p = &bytes[static_cast<size_t>(at32(10)) + y * stride + x * 3];
      dark += std::min({p[0], p[1], p[2]}) < 128;
    }
  drawn.ink = static_cast<double>(dark) / (static_cast<size_t>(drawn.width) * drawn.height);
  return drawn;
}

TEST_F(WmfrenderTest, DrawsThePictureAsIsAndImprovedInItsBox) {
  std::string err;
  ASSERT_EQ(Run("page.bmp 200x300 bracket-sheet.wmf --as-is\n"
                "cropped.bmp 200x300 bracket-sheet.wmf\n"
                "plan.bmp 200x300 floor-plan.wmf\n"
                "turned.bmp 200x300 floor-plan.wmf --set Rotation=90\n",
                err),
            0)
      << err;
  // Each picture as large as fits in the box, its proportions kept: the A4
  // sheet (21000 x 29700) and the wide floor plan fill the box's width;
  // turned, the plan stands upright.
  const Drawn page = Inspect(dir_ / "page.bmp"), cropped = Inspect(dir_ / "cropped.bmp"),
              plan = Inspect(dir_ / "plan.bmp"), turned = Inspect(dir_ / "turned.bmp");
  EXPECT_EQ(page.width, 200);
  EXPECT_EQ(page.height, 283);
  EXPECT_EQ(plan.width, 200);
  EXPECT_LT(plan.height, 160);
  EXPECT_TRUE(turned.width == 200 || turned.height == 300) << turned.width << " x " << turned.height;
  EXPECT_LE(turned.height, 300);
  EXPECT_NEAR(static_cast<double>(turned.height) / turned.width, static_cast<double>(plan.width) / plan.height, 0.02);
  for (const Drawn& d : {page, cropped, plan, turned}) EXPECT_GT(d.ink, 0.001);
  EXPECT_GT(cropped.ink, page.ink * 3) << "the cropped bracket should fill far more of its picture than of the sheet";
  EXPECT_FALSE(fs::exists(dir_ / "cropped.bmp.wmfrender.wmf"));
}

TEST_F(WmfrenderTest, ReportsEveryBadJobAndStillDrawsTheOthers) {
  std::string err;
  EXPECT_EQ(Run("a.bmp 100x100 missing.wmf\n"
                "b.bmp 100 floor-plan.wmf\n"
                "c.bmp 100x100 floor-plan.wmf --set Rotation=45\n"
                "d.bmp 100x100 standard.wmf --as-is\n"
                "ok.bmp 100x100 floor-plan.wmf\n",
                err),
            1);
  EXPECT_NE(err.find("missing.wmf"), std::string::npos) << err;
  EXPECT_NE(err.find("jobs.list:2: the size is WIDTHxHEIGHT"), std::string::npos) << err;
  EXPECT_NE(err.find("Rotation"), std::string::npos) << err;
  EXPECT_NE(err.find("d.bmp: not a placeable picture"), std::string::npos) << err;
  EXPECT_TRUE(fs::exists(dir_ / "ok.bmp"));
  for (const char* name : {"a.bmp", "c.bmp", "d.bmp"}) EXPECT_FALSE(fs::exists(dir_ / name)) << name;
}

TEST_F(WmfrenderTest, AnEmptyJobListIsAnError) {
  std::string err;
  EXPECT_EQ(Run("# nothing\n", err), 1);
  EXPECT_NE(err.find("has no jobs"), std::string::npos) << err;
}

}  // namespace

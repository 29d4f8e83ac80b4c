#include <gtest/gtest.h>

#include "intake_decision.h"

namespace {

ClipboardFormat Named(const wchar_t* name) { return ClipboardFormat{0xC100, std::wstring(name)}; }
ClipboardFormat Plain(unsigned id) { return ClipboardFormat{id, std::nullopt}; }

constexpr unsigned kText = 1, kBitmap = 2, kMetafilePict = 3, kDib = 8, kPalette = 9, kUnicodeText = 13,
                   kEnhMetafile = 14, kLocale = 16, kDibV5 = 17;

TEST(IntakeFacts, CadSourcesAreRecognisedByTheirNames) {
  const struct {
    const wchar_t* name;
    bool cad, intelliCad;
  } cases[] = {
      {L"AutoCAD", true, false},           {L"AutoCAD.r16", true, false},  {L"autocad-clip", true, false},
      {L"AUTOSKETCH 9", true, false},      {L"Autosketc", false, false},   {L"AutoCA", false, false},
      {L"IntelliCAD Entities", false, true}, {L"intellicad", false, true}, {L"My AutoCAD", false, false},
  };
  for (const auto& c : cases) {
    const IntakeFacts facts = GatherIntakeFacts({Plain(kMetafilePict), Named(c.name)});
    EXPECT_EQ(facts.cadSource, c.cad) << c.name;
    EXPECT_EQ(facts.intelliCad, c.intelliCad) << c.name;
    EXPECT_FALSE(facts.otherFormats);
  }
}

TEST(IntakeFacts, OtherFormatsAreUnnamedNonPictureFormats) {
  EXPECT_FALSE(GatherIntakeFacts({Plain(kMetafilePict), Plain(kBitmap), Plain(kDib), Plain(kEnhMetafile)}).otherFormats);
  // what the system adds to a bitmap by itself
  EXPECT_FALSE(GatherIntakeFacts({Plain(kMetafilePict), Plain(kDib), Plain(kPalette), Plain(kDibV5)}).otherFormats);
  EXPECT_TRUE(GatherIntakeFacts({Plain(kMetafilePict), Plain(kText)}).otherFormats);
  EXPECT_TRUE(GatherIntakeFacts({Plain(kMetafilePict), Plain(kUnicodeText), Plain(kLocale)}).otherFormats);
  EXPECT_FALSE(GatherIntakeFacts({Plain(kMetafilePict), Named(L"Rich Text Format")}).otherFormats);
}

TEST(IntakeFacts, AnEnhancedMetafileIsTheOwnersWhenListedBeforeTheConversion) {
  EXPECT_TRUE(GatherIntakeFacts({Plain(kEnhMetafile), Plain(kMetafilePict)}).ownEnhancedMetafile);
  EXPECT_TRUE(GatherIntakeFacts({Named(L"AutoCAD.r19"), Plain(kEnhMetafile), Plain(kMetafilePict)}).ownEnhancedMetafile);
  EXPECT_TRUE(GatherIntakeFacts({Plain(kEnhMetafile)}).ownEnhancedMetafile) << "the conversion is listed once asked for";
  // the system's conversion of a Windows metafile its owner put there
  EXPECT_FALSE(GatherIntakeFacts({Plain(kMetafilePict), Plain(kEnhMetafile)}).ownEnhancedMetafile);
  EXPECT_FALSE(GatherIntakeFacts({Plain(kMetafilePict)}).ownEnhancedMetafile);
}

TEST(ShouldModify, FollowsTheModeTable) {
  const IntakeFacts cad{true, false, true};
  const IntakeFacts bare{};
  const IntakeFacts withText{false, false, true};
  const IntakeFacts intelliCadOnly{false, true, false};
  const struct {
    int mode;
    bool force;
    IntakeFacts facts;
    bool modify;
  } cases[] = {
      {0, true, bare, true},       {1, true, withText, true},   {0, false, cad, true},       {1, false, cad, true},
      {1, false, bare, false},     {1, false, withText, false}, {1, false, intelliCadOnly, false},
      {2, false, bare, true},      {2, false, intelliCadOnly, true}, {2, false, withText, false},
      {3, false, withText, true},  {3, false, bare, true},      {2, false, cad, true},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ShouldModify(c.mode, c.force, c.facts), c.modify)
        << "mode " << c.mode << " force " << c.force << " cad " << c.facts.cadSource << " other " << c.facts.otherFormats;
  }
}

}  // namespace

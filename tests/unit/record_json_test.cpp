// The record of a run as JSON, read back as a tree: the header's bytes
// whatever they are, in plain ASCII, and the summary for scripts. (That its
// commands are the drive's, command for command, the terminal's tests show.)

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/Json.h"
#include "record/RunRecord.h"
#include "support/Json.h"
#include "support/TestPackage.h"

namespace cdflash {
namespace {

using test::Json;
using test::SingleByteText;

Json Parsed(const std::string& text) {
  const auto value = test::ParseJson(text);
  EXPECT_TRUE(value.has_value()) << text;
  return value.value_or(Json::object());
}

bool IsPrintableAscii(const std::string& text) {
  for (const char c : text) {
    const auto b = static_cast<unsigned char>(c);
    if (b != '\n' && (b < 0x20 || b > 0x7E)) return false;
  }
  return true;
}

TEST(RunRecordJson, HeaderFieldsOfAnyBytesComeBackWholeInPlainAscii) {
  test::TestPackage package;
  const std::string latin1Model = "CD-RW \xC4\xD6\xDC 52x";
  const std::string controlNote = "\t\"quoted\" back\\slash\x01";
  package.Model(latin1Model).Inquiry("VENDOR  PRODUCT").FwRange("1.00-1.59").Vendor("Maker").Note(controlNote)
      .Revision("1.60");
  RunRecord record;
  record.programVersion = "1.043";
  record.package = ReadPackageFields(package.View());
  record.drive = "/dev/sr0";
  record.identityBefore = "0-0-0 0: VENDOR  PRODUCT         1.20";
  record.identityAfter = "0-0-0 0: VENDOR  PRODUCT         1.60";
  record.outcome = "flashed";

  const std::string text = RunRecordJson(record);
  EXPECT_TRUE(IsPrintableAscii(text));
  const Json json = Parsed(text);
  const Json& p = json.at("package");
  EXPECT_EQ(SingleByteText(p.at("model")), latin1Model);
  EXPECT_EQ(SingleByteText(p.at("note")), controlNote);
  EXPECT_EQ(p.at("inquiry"), "VENDOR  PRODUCT");
  EXPECT_EQ(p.at("fwRange"), "1.00-1.59");
  EXPECT_EQ(p.at("vendor"), "Maker");
  EXPECT_EQ(p.at("revision"), "1.60");
  EXPECT_EQ(json.at("version"), "1.043");
  EXPECT_EQ(json.at("drive"), "/dev/sr0");
  EXPECT_EQ(json.at("identityAfter"), record.identityAfter);
  EXPECT_TRUE(json.at("commands").empty());
}

TEST(RunRecordJson, SummaryForScriptsHoldsTheRecordsDataButNoCommands) {
  RunRecord record;
  record.drive = "\\\\.\\D:";
  record.identityBefore = "before";
  record.identityAfter = "after";
  record.outcome = "flashed";
  record.exitCode = 0;
  record.failure = "";
  record.commands.resize(3);
  const Json json = Parsed(RunSummaryJson(record, "C:\\Users\\me\\AppData\\Local\\cdflash\\x.json"));
  EXPECT_EQ(json.at("outcome"), "flashed");
  EXPECT_EQ(json.at("exitCode"), 0);
  EXPECT_EQ(json.at("identityBefore"), "before");
  EXPECT_EQ(json.at("identityAfter"), "after");
  EXPECT_EQ(json.at("drive"), "\\\\.\\D:");
  EXPECT_EQ(json.at("record"), "C:\\Users\\me\\AppData\\Local\\cdflash\\x.json");
  EXPECT_FALSE(json.contains("commands"));
}

TEST(JsonWriter, EveryShapeOfNestingReadsBackAsWritten) {
  JsonWriter empty;
  empty.BeginObject().EndObject();
  EXPECT_TRUE(Parsed(empty.Text()).empty());
  JsonWriter nested;
  nested.BeginObject()
      .Key("a").BeginArray().EndArray()
      .Key("b").BeginArray().Number(-1).Bool(false).String("").EndArray()
      .Key("c").BeginObject(JsonWriter::Layout::Inline).Key("d").BeginArray().Number(2).EndArray().EndObject()
      .Key("e").BeginArray(JsonWriter::Layout::Inline).BeginObject().EndObject().BeginObject().Key("f").Number(3)
      .EndObject().EndArray()
      .EndObject();
  const Json json = Parsed(nested.Text());
  EXPECT_TRUE(json.at("a").empty());
  EXPECT_EQ(json.at("b").size(), 3u);
  EXPECT_EQ(json.at("c").at("d").at(0), 2);
  EXPECT_EQ(json.at("e").at(1).at("f"), 3);
  const std::string& text = nested.Text();
  const std::size_t c = text.find("\"c\"");
  EXPECT_NE(text.substr(c, text.find('\n', c) - c).find("[2]"), std::string::npos)
      << "an inline object keeps what it holds on its own line";
}

}  // namespace
}  // namespace cdflash
